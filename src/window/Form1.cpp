#include "window/Form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <filesystem>

#include "memory/ResponseCache.h"
#include "memory/StorePaths.h"
#include "memory/UserStore.h"
#include "window/AddressEntry.h"
#include "window/AddressListActions.h"
#include "window/ButtonKeys.h"
#include "window/Dialogs.h"
#include "window/KeptAddressList.h"
#include "window/ListToolTips.h"
#include "window/ListView.h"
#include "window/LoadListFromFile.h"
#include "window/ResultListActions.h"
#include "window/RetrievalInWindow.h"
#include "window/SavedResults.h"
#include "window/Settings.h"
#include "window/StatusText.h"
#include "window/Twips.h"
#include "workflows/Export.h"
#include "workflows/Pause.h"
#include "workflows/RetrievalRun.h"
#include "workflows/SavedItems.h"

namespace lumeward::window {

namespace {

constexpr int kDeleteKeyCode = 46;
constexpr int kDefaultPointer = 0;
constexpr int kBusyPointer = 11;
constexpr int kCustomPointer = 99;
// The progress bar counts hundredths of a percent, so 33.33 % shows as such.
constexpr int kProgressSteps = 10000;
// The example offered in the input box: a real public news feed.
constexpr char kExampleFeedAddress[] = "https://feeds.bbci.co.uk/news/rss.xml";
// What the address list's "Status" column is given of its 6480 twips, beside the
// address column's 5500 and the list's frame.
constexpr int kAddressColumnTwips = 5500;
constexpr int kStatusColumnTwips = 900;
// A cell's text stands this far from the column's edges.
constexpr int kCellPaddingPixels = 8;
constexpr int kDefaultFeedsAtOnce = 8;
constexpr int kMostFeedsAtOnce = 64;
constexpr int kFolderTypingPauseMs = 300;

QFont arialBold(double points) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

// What the address list's Status column says most often, whole: before, while
// and after an address is read.
QStringList statusColumnWords() {
    return {RetrievalInWindow::waitingText(), RetrievalInWindow::readingText(),
            statusText({{}, {}, workflows::FeedStatus::Kind::Items, 99}).summary};
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QRect twips) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(twips);
    button->setFont(arialBold(11.25));
    return button;
}

}  // namespace

Form1::Form1(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_dialogs(dialogs), m_pause([](double seconds) {
          workflows::Pause(seconds, [] { QCoreApplication::processEvents(); });
      }) {
    setObjectName(QStringLiteral("Form1"));
    // Fixed size: minimise, but no maximise and no resizing.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(twipsToPixels(6720), twipsToPixels(8325));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    createControls();
    m_userStore = std::make_unique<memory::UserStore>(memory::defaultUserFile());
    m_responseCache = std::make_shared<memory::ResponseCache>(memory::defaultCacheFile());
    m_keptAddresses = std::make_unique<KeptAddressList>(*m_listView1, *m_userStore,
                                                        [this] { reportStoreFailures(); });
    m_markSavedRows = new QTimer(this);
    m_markSavedRows->setSingleShot(true);
    m_markSavedRows->setInterval(kFolderTypingPauseMs);
    connect(m_markSavedRows, &QTimer::timeout, this, &Form1::markSavedRows);
    connectHandlers();
    setSaveFailureReport(
        [window = QPointer<Form1>(this)](const QString& path, const QString& reason) {
            if (window) {
                window->m_dialogs.message(
                    window, tr("Lumeward"),
                    tr("Settings cannot be saved to %1: %2. The output folder and the start-up "
                       "picture choice will be forgotten when Lumeward ends.")
                        .arg(path, reason),
                    Dialogs::Icon::Warning);
            }
        });
}

Form1::~Form1() {
    // The run writes into both lists, so it ends before they go.
    delete std::exchange(m_retrieval, nullptr);
    setMousePointer(kDefaultPointer);
}

void Form1::createControls() {
    const QFont listFont = arialBold(9);

    m_listView1 = new ListView(false, this);
    m_listView1->setObjectName(QStringLiteral("ListView1"));
    m_listView1->setGeometry(twipsRect(120, 90, 6480, 2295));
    m_listView1->setFont(listFont);
    m_listView1->setToolTip(
        tr("Double-click item to remove it. Move bar to right and out of window to reveal full "
           "names."));
    m_listView1->setAccessibleName(tr("Feed addresses"));
    m_listView1->setAccessibleDescription(
        tr("The feeds to retrieve. Double-click an address or press Delete to remove it."));

    m_pushButton1 =
        makeButton(this, "PushButton1", tr("&Add RSS Feed URL"), twipsRect(120, 2480, 3255, 405));
    m_pushButton6 = makeButton(this, "PushButton6", tr("&Load RSS URLs From File"),
                               twipsRect(3480, 2480, 3120, 405));
    m_pushButton2 = makeButton(this, "PushButton2", tr("&Start Retrieving Data"),
                               twipsRect(120, 2980, 6480, 405));

    m_listView2 = new ListView(true, this);
    m_listView2->setObjectName(QStringLiteral("ListView2"));
    m_listView2->setGeometry(twipsRect(120, 3480, 6480, 2295));
    m_listView2->setFont(listFont);
    m_listView2->setToolTip(tr("Move bar to right and out of window to reveal full names."));
    m_listView2->setAccessibleName(tr("Results"));
    m_listView2->setAccessibleDescription(
        tr("The items retrieved: feed address, title, description and link. Checked items are "
           "saved."));

    m_pushButton4 =
        makeButton(this, "PushButton4", tr("&Check All"), twipsRect(120, 5860, 3255, 405));
    m_pushButton5 =
        makeButton(this, "PushButton5", tr("&Uncheck All"), twipsRect(3480, 5860, 3120, 405));

    m_frame1 = new QGroupBox(tr("Save Text File(s) To This &Folder"), this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    m_frame1->setGeometry(twipsRect(120, 6350, 6480, 800));
    m_frame1->setFont(listFont);

    m_text1 = new QLineEdit(m_frame1);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setGeometry(twipsRect(240, 300, 5475, 345));
    m_text1->setFont(listFont);
    m_text1->setAccessibleName(tr("Output folder"));
    m_text1->setAccessibleDescription(tr("The folder the checked results are saved to."));

    m_pushButton8 =
        makeButton(m_frame1, "PushButton8", QStringLiteral("..."), twipsRect(5760, 300, 495, 345));
    m_pushButton8->setAccessibleName(tr("Browse for output folder"));
    m_pushButton8->setAccessibleDescription(tr("Choose the folder the results are saved to."));

    m_pushButton3 = makeButton(this, "PushButton3", tr("Save Results As &HTML"),
                               twipsRect(120, 7280, 6480, 405));

    m_progressBar1 = new QProgressBar(this);
    m_progressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar1->setGeometry(twipsRect(120, 7800, 6480, 405));
    m_progressBar1->setFont(listFont);
    m_progressBar1->setRange(0, kProgressSteps);
    m_progressBar1->setValue(0);
    m_progressBar1->setAccessibleName(tr("Retrieval progress"));
    m_progressBar1->setAccessibleDescription(tr("How much of the feed list has been retrieved."));

    // "..." has no letter to underline: Alt+B ("browse") is its key, named in its tooltip.
    m_pushButton8->setShortcut(QKeySequence(tr("Alt+B")));
    m_pushButton8->setToolTip(tr("Browse for output folder (Alt+B)"));

    // Keyboard order: top to bottom, left to right.
    QWidget* const order[] = {m_listView1,   m_pushButton1, m_pushButton6, m_pushButton2,
                              m_listView2,   m_pushButton4, m_pushButton5, m_text1,
                              m_pushButton8, m_pushButton3};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

void Form1::connectHandlers() {
    connect(m_pushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(m_pushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(m_pushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(m_pushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(m_pushButton8, &QPushButton::clicked, this, &Form1::PushButton8_Click);
    connect(m_text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    connect(m_pushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(m_pushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
    connect(m_listView1, &ListView::doubleClickedAnywhere, this, &Form1::ListView1_DblClick);
    connect(m_listView1, &ListView::keyPressedWithCode, this, &Form1::ListView1_KeyDown);
    setMouseTracking(true);
    for (QPushButton* button : {m_pushButton1, m_pushButton2, m_pushButton3, m_pushButton4,
                                m_pushButton5, m_pushButton6, m_pushButton8}) {
        button->setMouseTracking(true);
        button->installEventFilter(this);
        pressOnEnter(*button);
    }
    // The lists' own commands and tooltips.
    new AddressListActions(*this, m_dialogs);
    new ResultListActions(
        *m_listView2, [this] { return isBusy(); },
        [this] { saveCheckedResults(workflows::SavedFileFormat::Page); });
    showRowToolTips(*m_listView1, false);
    showRowToolTips(*m_listView2, true);
}

void Form1::Form_Load() {
    m_text1->setText(GetSetting(QStringLiteral("Kelvarin"), QStringLiteral("Lumeward"),
                                QStringLiteral("Download Location"), QDir::homePath() + '/'));
    // The Status column takes what a longer language needs for its usual words
    // from the address column.
    int statusPixels = 0;
    for (const QString& status : statusColumnWords()) {
        statusPixels = std::max(statusPixels, m_listView1->fontMetrics().horizontalAdvance(status));
    }
    const int statusTwips =
        std::max(kStatusColumnTwips, pixelsToTwips(statusPixels + kCellPaddingPixels));
    m_listView1->addColumn(tr("Feed URL(s)"));
    m_listView1->setColumnWidthTwips(1, kAddressColumnTwips + kStatusColumnTwips - statusTwips);
    m_listView1->addColumn(tr("Status"));
    m_listView1->setColumnWidthTwips(2, statusTwips);
    for (const QString& header :
         {tr("Feed URL(s)"), tr("Result(s)"), tr("Description"), QString()}) {
        m_listView2->addColumn(header);
    }
    const int widths[] = {2000, 4200, 1, 1};
    for (int column = 1; column <= 4; ++column) {
        m_listView2->setColumnWidthTwips(column, widths[column - 1]);
    }
    m_keptAddresses->restore();
}

void Form1::PushButton1_Click() {
    if (m_busy) {
        return;
    }
    const auto address =
        m_dialogs.inputBox(this, tr("Lumeward"), tr("Enter website address to add: "),
                           QString::fromLatin1(kExampleFeedAddress));
    if (address) {
        addAddressLines(*m_listView1, *address);
    }
}

void Form1::PushButton6_Click() {
    if (m_busy) {
        return;
    }
    const QStringList files = m_dialogs.openFiles(
        this, tr("Add File(s) - Use Ctrl & Shift to select multiple files"),
        tr("Feed lists (*.txt *.opml *.xml);;Text Files (*.txt);;All Files (*)"));
    if (files.isEmpty()) {
        return;
    }
    if (files.size() > 1) {
        m_dialogs.message(this, tr("Lumeward"), tr("Please select just one file."));
        return;
    }
    loadAddressFile(files.front());
}

void Form1::loadAddressFile(const QString& path) {
    if (m_busy) {
        return;
    }
    m_busy = true;
    LoadListFromFile(*m_listView1, path, m_dialogs, this, [this] { return yieldToEvents(); });
    m_busy = false;
}

void Form1::PushButton2_Click() {
    if (m_retrieval) {
        m_retrieval->stop();
        return;
    }
    if (m_busy) {
        return;
    }
    if (m_listView1->count() <= 0) {
        m_dialogs.message(this, tr("Lumeward"), tr("No files added."));
        return;
    }
    m_busy = true;
    setMousePointer(kBusyPointer);
    m_keptAddresses->flush();
    bool valid = false;
    const int atOnce =
        GetSetting(QStringLiteral("Kelvarin"), QStringLiteral("Lumeward"),
                   QStringLiteral("Feeds Read At Once"), QString::number(kDefaultFeedsAtOnce))
            .toInt(&valid);
    workflows::RetrievalLimits limits;
    if (valid && atOnce >= 1 && atOnce <= kMostFeedsAtOnce) {
        limits.jobs = static_cast<std::size_t>(atOnce);
    }
    const bool readInFull =
        GetSetting(QStringLiteral("Kelvarin"), QStringLiteral("Lumeward"),
                   QStringLiteral("Ask Servers For Changes Only"), QStringLiteral("1"))
            .trimmed() == QStringLiteral("0");
    m_retrieval = new RetrievalInWindow(*m_listView1, *m_listView2, limits,
                                        {m_responseCache, readInFull}, this);
    connect(m_retrieval, &RetrievalInWindow::progressed, this, &Form1::setProgress);
    connect(m_retrieval, &RetrievalInWindow::addressRead, m_keptAddresses.get(),
            &KeptAddressList::keepStatus);
    connect(m_retrieval, &RetrievalInWindow::finished, this, &Form1::endRetrieval,
            Qt::QueuedConnection);
    m_pushButton2->setText(tr("&Stop Retrieving Data"));
}

void Form1::endRetrieval() {
    const std::size_t failed = m_retrieval->failedCount();
    const std::size_t count = m_retrieval->feedCount();
    const bool stopped = m_retrieval->wasStopped();
    delete std::exchange(m_retrieval, nullptr);
    m_pushButton2->setText(tr("&Start Retrieving Data"));
    if (m_closing) {
        return;
    }
    markSavedRows();
    QString done = stopped ? tr("Stopped.") : tr("Done.");
    if (failed > 0) {
        // Plural forms follow the feeds that failed ("1 von 5 Feeds wurde nicht gelesen").
        const int n = static_cast<int>(failed);
        done +=
            (stopped
                 ? tr("\n\n%n of %1 feeds were not read; see the Status column.", nullptr, n)
                 : tr("\n\n%n of %1 feeds could not be read; see the Status column.", nullptr, n))
                .arg(count);
    }
    m_dialogs.message(this, tr("Lumeward"), done);
    m_pause(1.0);
    setMousePointer(kDefaultPointer);
    setProgress(0);
    m_busy = false;
}

void Form1::PushButton3_Click() {
    const QString format = GetSetting(QStringLiteral("Kelvarin"), QStringLiteral("Lumeward"),
                                      QStringLiteral("Saved File Format"), QStringLiteral("plain"));
    saveCheckedResults(workflows::savedFileFormatNamed(toUtf8(format.trimmed().toLower()))
                           .value_or(workflows::SavedFileFormat::Plain));
}

void Form1::saveCheckedResults(workflows::SavedFileFormat format) {
    if (m_busy) {
        return;
    }
    std::vector<workflows::ResultRow> rows;
    rows.reserve(static_cast<std::size_t>(m_listView2->count()));
    bool anyChecked = false;
    for (qsizetype i = 1; i <= m_listView2->count(); ++i) {
        const QDateTime date = m_listView2->date(i);
        rows.push_back({m_listView2->checked(i), toUtf8(m_listView2->text(i)),
                        toUtf8(m_listView2->subItem(i, 1)), toUtf8(m_listView2->subItem(i, 2)),
                        toUtf8(m_listView2->subItem(i, 3)),
                        date.isValid() ? std::optional(feed::ItemDate(
                                             std::chrono::seconds(date.toSecsSinceEpoch())))
                                       : std::nullopt,
                        m_listView2->id(i)});
        anyChecked = anyChecked || rows.back().checked;
    }
    // One message for a folder that cannot take any file, not two boxes per row.
    if (anyChecked) {
        if (const auto problem = workflows::outputFolderProblem(toUtf8(m_text1->text()))) {
            m_dialogs.message(this, tr("Lumeward"), fromUtf8(*problem), Dialogs::Icon::Warning);
            return;
        }
    }
    m_busy = true;
    workflows::SavedRecord record(*m_userStore);
    workflows::exportRows(
        rows, [this] { return toUtf8(m_text1->text()); },
        [this](const workflows::ExportFailure& failure) {
            m_dialogs.message(this, tr("Application Error"),
                              fromUtf8(workflows::applicationErrorText(failure)),
                              Dialogs::Icon::Warning);
        },
        format,
        [&record](const workflows::ResultRow& row, const std::filesystem::path& file) {
            record.add(row, file);
        });
    record.flush();
    // What was just saved, or saved meanwhile by another Lumeward, shows as such.
    markSavedRows();
    m_dialogs.message(this, tr("Lumeward"), tr("Done."));
    m_busy = false;
}

void Form1::PushButton8_Click() {
    // The dialog opens at the folder the field names, when there is one.
    const QString named = QFileInfo(m_text1->text()).isDir() ? m_text1->text() : QString();
    const auto folder = m_dialogs.chooseFolder(this, tr("Please select folder:"), named);
    if (!folder || folder->isEmpty()) {
        return;
    }
    QString text = *folder;
    while (text.endsWith('/')) {
        text.chop(1);
    }
    m_text1->setText(text + '/');
}

void Form1::Text1_Change(const QString& text) {
    SaveSetting(QStringLiteral("Kelvarin"), QStringLiteral("Lumeward"),
                QStringLiteral("Download Location"), text);
    // Once the typing pauses: each keystroke names a folder of its own.
    m_markSavedRows->start();
}

void Form1::markSavedRows() {
    m_markSavedRows->stop();
    markSavedResults(*m_listView2, *m_userStore, std::filesystem::path(toUtf8(m_text1->text())));
    reportStoreFailures();
}

void Form1::PushButton4_Click() {
    m_listView2->setAllChecked(true);
}

void Form1::PushButton5_Click() {
    m_listView2->setAllChecked(false);
}

void Form1::ListView1_DblClick() {
    removeSelectedAddress();
}

void Form1::ListView1_KeyDown(int keyCode) {
    if (keyCode == kDeleteKeyCode) {
        removeSelectedAddress();
    }
}

void Form1::removeSelectedAddress() {
    if (m_busy) {
        return;
    }
    if (const auto selected = m_listView1->selectedIndex()) {
        m_listView1->remove(*selected);
    }
}

void Form1::useSuggestedAddress() {
    const auto selected = m_listView1->selectedIndex();
    const auto suggested = selected ? m_listView1->suggested(*selected) : std::nullopt;
    if (m_busy || !suggested) {
        return;
    }
    // The Status was the old address's.
    m_listView1->setText(*selected, fromUtf8(suggested->address));
    m_listView1->setSubItem(*selected, 1, {});
    m_listView1->setItemToolTip(*selected, {});
    m_listView1->setSuggested(*selected, std::nullopt);
}

void Form1::reportStoreFailures() {
    const bool boxOnItsWay = !m_storeFailures.isEmpty();
    for (auto failure : {m_userStore->takeWarning(), m_responseCache->takeWarning()}) {
        if (failure) {
            m_storeFailures << fromUtf8(*failure);
        }
    }
    if (m_storeFailures.isEmpty() || boxOnItsWay) {
        return;  // nothing to tell, or it joins the box already on its way
    }
    // Shown from the event loop: a box opened in the middle of a list change or
    // a run's update would let further changes in half-way.
    QMetaObject::invokeMethod(
        this,
        [this] {
            const QString text = m_storeFailures.join("\n\n");
            m_storeFailures.clear();
            if (!m_closing) {
                m_dialogs.message(this, tr("Lumeward"), text, Dialogs::Icon::Warning);
            }
        },
        Qt::QueuedConnection);
}

void Form1::setMousePointer(int value) {
    // The busy pointer covers every control and box the window shows; the
    // others are the window's own cursor, which its controls inherit. The
    // window takes input while busy, so the pointer says so.
    if (m_mousePointer == kBusyPointer) {
        QGuiApplication::restoreOverrideCursor();
    }
    m_mousePointer = value;
    if (value == kBusyPointer) {
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    } else if (value == kCustomPointer && m_mouseIcon) {
        setCursor(*m_mouseIcon);
    } else {
        unsetCursor();
    }
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    // Moves over controls without a handler of their own reach the window too;
    // only its bare surface counts.
    if (m_mousePointer != kBusyPointer && childAt(event->position().toPoint()) == nullptr) {
        setMousePointer(kDefaultPointer);
    }
    QWidget::mouseMoveEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove && m_mousePointer != kBusyPointer) {
        setMousePointer(kCustomPointer);
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::setProgress(double percent) {
    m_progress = percent;
    m_progressBar1->setValue(static_cast<int>(percent * kProgressSteps / 100.0 + 0.5));
}

bool Form1::yieldToEvents() {
    QCoreApplication::processEvents();
    return !m_closing;
}

void Form1::closeEvent(QCloseEvent* event) {
    // Closing ends the program at once, also in the middle of a load or a run:
    // the load stops at its next yield, the run's transfers within a second.
    m_closing = true;
    if (m_retrieval) {
        m_retrieval->stop();
    }
    event->accept();
    QCoreApplication::quit();
}

}  // namespace lumeward::window
