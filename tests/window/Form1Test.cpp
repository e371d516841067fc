// The main window through its real input paths: layout, keyboard order, pointer,
// the address list, retrieval runs under a storm of input, and export.
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>

#include "memory/ItemKey.h"
#include "memory/StorePaths.h"
#include "memory/UserStore.h"
#include "support/LoopbackServer.h"
#include "support/ScopedHome.h"
#include "support/ScriptedDialogs.h"
#include "support/SlowLookup.h"
#include "support/TempDir.h"
#include "window/Form1.h"
#include "window/ListView.h"
#include "window/Settings.h"

namespace lumeward::window {
namespace {

namespace fs = std::filesystem;

class Form1Test : public testing::Test {
protected:
    Form1Test() {
        // Feed n, on a server of its own, answers after (6 - n) * 15 ms, the later feeds
        // first, with the items "n.1" and "n.2", the second one dated.
        for (int n = 1; n <= 5; ++n) {
            std::string body = "<rss><channel>";
            for (const std::string& id : {std::to_string(n) + ".1", std::to_string(n) + ".2"}) {
                body +=
                    "<item><title>" + id + "</title><description>About</description>" +
                    "<link>https://site.example/" + id + "</link>" +
                    (id.ends_with(".2") ? "<pubDate>Mon, 07 Dec 2026 10:00 GMT</pubDate>" : "") +
                    "</item>";
            }
            m_servers[n - 1].handle("/" + std::to_string(n), [body, n](auto&, auto& response) {
                std::this_thread::sleep_for(std::chrono::milliseconds((6 - n) * 15));
                response.set_content(body + "</channel></rss>", "application/xml");
            });
        }
        m_form->setPause([this](double seconds) {
            m_paused.push_back(seconds);
            QCoreApplication::processEvents();
            m_timer.stop();  // the run is over: no more storms
        });
        m_form->Form_Load();
        m_form->show();
    }

    QString address(int feed) const {
        return QString::fromStdString(m_servers[feed - 1].url("/" + std::to_string(feed)));
    }
    std::size_t requests() const {
        std::size_t count = 0;
        for (const auto& server : m_servers) {
            count += server.requests().size();
        }
        return count;
    }
    // The address list's "Status" column, row by row.
    QStringList statuses() const {
        QStringList texts;
        for (qsizetype i = 1; i <= m_form->ListView1()->count(); ++i) {
            texts << m_form->ListView1()->subItem(i, 1);
        }
        return texts;
    }
    bool idle() const {
        return m_form->PushButton2()->text() == "&Start Retrieving Data" &&
               m_form->MousePointer() == 0;
    }
    void waitForTheRun() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return idle(); }, 10000));
    }
    auto exported() const { return std::distance(fs::directory_iterator(m_out.path()), {}); }
    // The address list, after listing feeds 1 to n.
    QStringList addresses(int n = 0) const {
        QStringList texts;
        for (int feed = 1; feed <= n; ++feed) {
            m_form->ListView1()->add(address(feed));
        }
        for (qsizetype i = 1; i <= m_form->ListView1()->count(); ++i) {
            texts << m_form->ListView1()->text(i);
        }
        return texts;
    }
    // The titles the result list shows, "+" when checked, "?" when the feed or link
    // in the row does not go with the title.
    QString rows() const {
        QStringList titles;
        const QAbstractItemModel& model = *m_form->ListView2()->model();
        for (int row = 0; row < model.rowCount(); ++row) {
            const QString title = model.index(row, 1).data().toString();
            const bool fits =
                model.index(row, 0).data() == address(title.section('.', 0, 0).toInt()) &&
                model.index(row, 3).data() == "https://site.example/" + title;
            const bool checked = model.index(row, 0).data(Qt::CheckStateRole) == Qt::Checked;
            titles << (fits ? title : "?") + (checked ? "+" : "");
        }
        return titles.join(' ');
    }
    // The boxes shown, but the folder dialogs: each message's text, else the kind.
    QStringList boxes() const {
        QStringList shown;
        for (const auto& box : m_dialogs.shown) {
            if (box.kind != "folder") {
                shown << (box.kind == "message" ? box.text : box.kind);
            }
        }
        return shown;
    }
    // An address whose server answers only when the test ends.
    QString stalledAddress() {
        m_servers[0].handle("/stall", [this](auto&, auto& response) {
            for (int i = 0; i < 1000 && !m_released; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            response.set_content("<rss/>", "application/xml");
        });
        return QString::fromStdString(m_servers[0].url("/stall"));
    }
    void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // The program ends, saving what it keeps, and starts again in the same home.
    void restart() {
        m_form.reset();
        m_form = std::make_unique<Form1>(m_dialogs);
        m_form->Form_Load();
        m_form->show();
        QCoreApplication::processEvents();
    }
    void loadFile(const fs::path& file) {
        m_dialogs.openAnswers.push_back({QString::fromStdString(file.string())});
        m_form->PushButton6_Click();
    }

    // One round of everything a user can do, by mouse and keyboard. A second round
    // may come inside the first, while the work that one started is under way.
    void storm() {
        if (m_depth == 2 || m_form->isClosing()) {
            return;
        }
        ++m_depth;
        ++m_rounds;
        click(m_form->PushButton1());
        click(m_form->PushButton6());
        click(m_form->PushButton8());
        QTest::keyClicks(m_form->Text1(), "x");
        QTest::keyClick(m_form->Text1(), Qt::Key_Backspace);
        // Delete on the first address, then a double-click on the first address.
        ListView& list = *m_form->ListView1();
        const QPoint first = list.visualRect(list.model()->index(0, 0)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, first);
        QTest::keyClick(&list, Qt::Key_Delete);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, first);
        // Only when no run is under way: during one, this button stops it.
        if (m_form->PushButton2()->text() == "&Start Retrieving Data") {
            click(m_form->PushButton2());
        }
        // Check All, Uncheck All, then the space bar on the first result.
        click(m_form->PushButton4());
        EXPECT_EQ(rows().count('+'), m_form->ListView2()->count());
        click(m_form->PushButton5());
        m_form->ListView2()->setCurrentIndex(m_form->ListView2()->model()->index(0, 0));
        QTest::keyClick(m_form->ListView2(), Qt::Key_Space);
        click(m_form->PushButton3());
        --m_depth;
    }
    // From now on the storm comes at every pass of the event loop and while a
    // message shows; the folder dialog always answers the output folder.
    void keepStorming() {
        m_dialogs.onShown = [this](const auto& box) {
            if (box.kind == "message") {
                storm();
            }
        };
        m_dialogs.folderAnswers.assign(500, QString::fromStdString(m_out.path().string()) + "//");
        QObject::connect(&m_timer, &QTimer::timeout, [this] { storm(); });
        m_timer.start(0);
    }

    test::ScopedHome m_configHome;
    // Ends a stalled answer; it outlives the servers, which wait for their answers.
    std::atomic<bool> m_released = false;
    // Hosts of their own, as the limit on reads at once goes by host.
    test::LoopbackServer m_servers[5] = {
        test::LoopbackServer("127.0.0.1"), test::LoopbackServer("127.0.0.2"),
        test::LoopbackServer("127.0.0.3"), test::LoopbackServer("127.0.0.4"),
        test::LoopbackServer("127.0.0.5")};
    test::ScriptedDialogs m_dialogs;
    std::unique_ptr<Form1> m_form = std::make_unique<Form1>(m_dialogs);
    test::TempDir m_out;
    test::TempDir m_files;
    QTimer m_timer;
    // Lets the stalled answers end before the servers go.
    struct Release {
        std::atomic<bool>& released;
        ~Release() { released = true; }
    } m_release{m_released};
    int m_depth = 0, m_rounds = 0;
    std::vector<double> m_paused;
};

TEST_F(Form1Test, ControlsFitTheFixedWhiteWindowWithoutOverlapAndTabInOrder) {
    EXPECT_EQ(m_form->minimumSize(), m_form->maximumSize());
    EXPECT_FALSE(m_form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(m_form->palette().color(QPalette::Window), QColor(Qt::white));
    for (const QWidget* parent : std::initializer_list<QWidget*>{m_form.get(), m_form->Frame1()}) {
        const auto controls = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (const QWidget* control : controls) {
            SCOPED_TRACE(control->objectName().toStdString());
            EXPECT_TRUE(parent->rect().contains(control->geometry()));
            EXPECT_TRUE(control->font().bold());
            for (const QWidget* other : controls) {
                EXPECT_TRUE(other == control || !other->geometry().intersects(control->geometry()));
            }
        }
    }
    QApplication::setActiveWindow(m_form.get());
    m_form->ListView1()->setFocus();
    QStringList order;
    for (int i = 0; i < 10; ++i, QTest::keyClick(m_form->focusWidget(), Qt::Key_Tab)) {
        order << m_form->focusWidget()->objectName();
    }
    EXPECT_EQ(order.join(' ').remove("PushButton"), "ListView1 1 6 2 ListView2 4 5 Text1 8 3");
}

TEST_F(Form1Test, EachButtonAndTheFolderFieldAnswerTheirOwnAltLetter) {
    // The caption shown, its letter underlined; "..." has no letter, so its key is named
    // in its tooltip instead.
    const struct {
        char key;
        QAbstractButton* button;
        QString caption;
    } table[] = {
        {'A', m_form->PushButton1(), "&Add RSS Feed URL"},
        {'L', m_form->PushButton6(), "&Load RSS URLs From File"},
        {'S', m_form->PushButton2(), "&Start Retrieving Data"},
        {'C', m_form->PushButton4(), "&Check All"},
        {'U', m_form->PushButton5(), "&Uncheck All"},
        {'B', m_form->PushButton8(), "..."},
        {'H', m_form->PushButton3(), "Save Results As &HTML"},
        {'F', nullptr, "Save Text File(s) To This &Folder"},
    };
    QStringList clicked;
    for (const auto& row : table) {
        if (row.button) {
            QObject::connect(row.button, &QAbstractButton::clicked,
                             [&clicked, &row] { clicked << row.button->objectName(); });
        }
    }
    QApplication::setActiveWindow(m_form.get());
    for (const auto& row : table) {
        SCOPED_TRACE(row.key);
        clicked.clear();
        m_form->ListView1()->setFocus();
        QTest::keyClick(m_form.get(), Qt::Key(row.key), Qt::AltModifier);
        if (row.button) {
            EXPECT_EQ(row.button->text(), row.caption);
            // A button's letter clicks it as the pointer would: down, then up a moment later.
            EXPECT_TRUE(QTest::qWaitFor([&] { return !clicked.isEmpty(); }, 1000));
            EXPECT_EQ(clicked, QStringList{row.button->objectName()});
        } else {
            EXPECT_EQ(m_form->Frame1()->title(), row.caption);
            EXPECT_TRUE(clicked.isEmpty());
            EXPECT_EQ(m_form->focusWidget(), m_form->Text1());
        }
    }
    EXPECT_TRUE(m_form->PushButton8()->toolTip().contains("Alt+B"));
}

TEST_F(Form1Test, PointerIsTheHandOverButtonsAndTheArrowOverTheBareSurfaceUnlessBusy) {
    m_form->setMouseIcon(QCursor(Qt::PointingHandCursor));
    for (QPushButton* button : m_form->findChildren<QPushButton*>()) {
        QTest::mouseMove(m_form.get(), {2, 2});
        EXPECT_EQ(m_form->cursor().shape(), Qt::ArrowCursor);
        QTest::mouseMove(button, {5, 5});
        EXPECT_EQ(m_form->cursor().shape(), Qt::PointingHandCursor) << button->text().toStdString();
    }
    m_form->setMousePointer(11);
    QTest::mouseMove(m_form->PushButton1(), {5, 5});
    QTest::mouseMove(m_form.get(), {2, 2});
    EXPECT_EQ(m_form->MousePointer(), 11) << "the busy pointer wins";
}

TEST_F(Form1Test, AddressesComeAsTypedOrFromAFileAndBadFilesAreReported) {
    m_dialogs.inputAnswers = {" http://a/ ", std::nullopt, ""};
    for (int i = 0; i < 3; ++i) {
        m_form->PushButton1_Click();
    }
    loadFile(m_files.path() / "missing.txt");
    loadFile(m_files.path());
    m_dialogs.openAnswers.push_back({"a.txt", "b.txt"});  // two files: one message, none read
    m_form->PushButton6_Click();
    // A file that is not UTF-8 reads as Windows-1252, a NUL stays, 100,000 lines all come into
    // the shown list.
    std::string lines = "caf\xc3\xa9\r\n\xff\xed\xa0\x80\r\n" + std::string("a\0b\r\n", 5);
    for (int i = 1; i <= 100'000; ++i) {
        lines += "http://host/" + std::to_string(i) + "\r\n";
    }
    loadFile(m_files.write("a.txt", lines));

    const QStringList listed = addresses();
    ASSERT_EQ(listed.size(), 100'004);
    EXPECT_EQ(listed.mid(0, 4),
              (QStringList{"http://a/", "caf\u00c3\u00a9", "\u00ff\u00ed\u00a0\u20ac",
                           QString::fromUtf8("a\0b", 3)}));
    EXPECT_EQ(listed.back(), "http://host/100000");
    EXPECT_FALSE(m_form->ListView1()->model()->index(0, 0).data(Qt::CheckStateRole).isValid());
    const QStringList shown = boxes();
    ASSERT_EQ(shown.size(), 10);
    EXPECT_EQ(shown[4], "File not found");
    EXPECT_TRUE(shown[6].contains(QString::fromStdString(m_files.path().string())));
    EXPECT_EQ(shown[8], "Please select just one file.");
}

TEST_F(Form1Test, TheSameInputWhenIdleDoesItsWorkAndWhenBusyIsIgnoredOrHarmless) {
    EXPECT_EQ(m_form->Text1()->text(), QDir::homePath() + '/') << "the folder to begin with";
    addresses(2);
    m_dialogs.inputAnswers.push_back(address(3));
    const auto file = m_files.write("more.txt", (address(4) + "\r\n" + address(5)).toStdString());
    m_dialogs.openAnswers.push_back({QString::fromStdString(file.string())});
    std::vector<int> bar;
    QObject::connect(m_form->ProgressBar1(), &QProgressBar::valueChanged,
                     [&bar](int value) { bar.push_back(value); });
    keepStorming();
    storm();
    waitForTheRun();

    EXPECT_GT(m_rounds, 6) << "more input came during the load, the run and its message";
    // Listed 1 and 2, typed 3, loaded 4 and 5; Delete and the double-click took 1 and 2.
    EXPECT_EQ(addresses(), (QStringList{address(3), address(4), address(5)}));
    EXPECT_EQ(requests(), 3u) << "one request per feed, no second run";
    // In list order, though 5 answered first; the storm at "Done." checked only the first.
    EXPECT_EQ(rows(), "3.1+ 3.2 4.1 4.2 5.1 5.2");
    EXPECT_EQ(statuses(), (QStringList{"2 items", "2 items", "2 items"}));
    EXPECT_EQ(bar, (std::vector<int>{3333, 6667, 10000, 0}));
    EXPECT_EQ(m_paused, std::vector<double>{1.0}) << "one second after the run's \"Done.\"";
    click(m_form->PushButton3());
    EXPECT_EQ(boxes(), (QStringList{"input", "open", "Done.", "Done."}));
    EXPECT_EQ(m_form->MousePointer(), 0);
    // The export wrote the one row the space bar checked, into the folder chosen.
    ASSERT_EQ(exported(), 1);
    std::ifstream in(fs::directory_iterator(m_out.path())->path(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
              "3.1\r\n\r\nAbout\r\n\r\nhttps://site.example/3.1\r\n");

    // A new window exports into the folder last chosen, and reports one that is missing.
    test::ScriptedDialogs dialogs;
    Form1 restarted(dialogs);
    restarted.Form_Load();
    restarted.ListView2()->setChecked(restarted.ListView2()->add("http://y/"), true);
    restarted.PushButton3_Click();
    EXPECT_EQ(exported(), 2);
    restarted.ListView2()->setChecked(1, true);  // unchecked by its save
    restarted.Text1()->setText(QString::fromStdString((m_out.path() / "absent").string()));
    restarted.PushButton3_Click();
    ASSERT_EQ(dialogs.shown.size(), 2u) << "one message for the folder, not two per row";
    EXPECT_EQ(dialogs.shown[1].text,
              "Cannot save into " + restarted.Text1()->text() + ": No such file or directory");
    EXPECT_EQ(dialogs.shown[1].icon, Dialogs::Icon::Warning);
}

TEST_F(Form1Test, OneFeedAtATimeEndsWithTheNewestRowInView) {
    SaveSetting("Kelvarin", "Lumeward", "Feeds Read At Once", "1");
    addresses(5);
    click(m_form->PushButton2());
    waitForTheRun();
    EXPECT_EQ(rows(), "1.1+ 1.2+ 2.1+ 2.2+ 3.1+ 3.2+ 4.1+ 4.2+ 5.1+ 5.2+");
    const ListView& list = *m_form->ListView2();
    EXPECT_FALSE(list.date(9).isValid());
    EXPECT_EQ(list.date(10), QDateTime::fromSecsSinceEpoch(1796637600, Qt::UTC));
    EXPECT_TRUE(list.viewport()->rect().contains(list.visualRect(list.model()->index(9, 0))));
    EXPECT_FALSE(list.viewport()->rect().contains(list.visualRect(list.model()->index(0, 0))))
        << "scrolled, not merely short";
}

TEST_F(Form1Test, AStalledServerNeitherFreezesTheWindowNorHoldsUpStopOrClose) {
    m_form->ListView1()->add(stalledAddress());
    addresses(3);
    // A timer on the window's thread: the longest wait between two of its ticks.
    QElapsedTimer clock;
    qint64 longest = 0;
    QObject::connect(&m_timer, &QTimer::timeout,
                     [&] { longest = std::max(longest, clock.restart()); });
    clock.start();
    m_timer.start(10);
    click(m_form->PushButton2());
    EXPECT_EQ(m_form->PushButton2()->text(), "&Stop Retrieving Data");
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == "1.1+ 1.2+ 2.1+ 2.2+ 3.1+ 3.2+"; }, 5000));
    EXPECT_EQ(statuses(), (QStringList{"Reading", "2 items", "2 items", "2 items"}));
    QTest::qWait(300);
    EXPECT_LT(longest, 250) << "the window's event loop kept turning";

    click(m_form->PushButton2());
    waitForTheRun();
    EXPECT_EQ(boxes(),
              QStringList{"Stopped.\n\n1 of 4 feeds were not read; see the Status column."});
    EXPECT_EQ(statuses().front(), "Stopped");
    EXPECT_TRUE(m_form->ListView1()
                    ->model()
                    ->index(0, 1)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .startsWith("Stopped before"));

    // One feed at once, as set: the stall holds up the rest until the window closes.
    SaveSetting("Kelvarin", "Lumeward", "Feeds Read At Once", "1");
    click(m_form->PushButton2());
    ASSERT_TRUE(QTest::qWaitFor([&] { return statuses().front() == "Reading"; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(statuses(), (QStringList{"Reading", "Waiting", "Waiting", "Waiting"}));
    clock.restart();
    m_form->close();
    m_form.reset();
    EXPECT_LT(clock.elapsed(), 3000) << "closed within 3 s, whatever the server does";
}

TEST_F(Form1Test, AnEmptyListOnlySaysSoAndClosingMidRunStopsTheRunEarly) {
    click(m_form->PushButton2());
    addresses(5);
    m_form->ListView1()->add(stalledAddress());
    const QStringList listed = addresses();
    click(m_form->PushButton2());
    // Feed 5 answers first; its rows come in before the others are read.
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_form->ListView2()->count() > 0; }, 5000));
    m_form->close();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !statuses().contains("Reading"); }, 3000));
    QTest::qWait(50);
    EXPECT_EQ(statuses().back(), "Stopped") << "the run stopped early";
    EXPECT_EQ(boxes(), QStringList{"No files added."}) << "no \"Done.\" for a run cut short";
    loadFile(m_files.write("late.txt", "http://a/\n"));
    EXPECT_EQ(addresses(), listed) << "nor does a load go on";
    m_form.reset();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr)
        << "the busy pointer goes with the window";
}

// libcurl cannot cut a name lookup short; the window does not wait for it.
TEST_F(Form1Test, StopDuringANameLookupSaysStoppedWithinASecond) {
    m_form->ListView1()->add(QStringLiteral("http://%1/feed").arg(test::kSlowLookupHost));
    addresses(1);
    click(m_form->PushButton2());
    ASSERT_TRUE(QTest::qWaitFor([] { return test::slowLookupsUnderWay() == 1; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_form->ListView2()->count() == 2; }, 5000));
    QElapsedTimer clock;
    clock.start();
    click(m_form->PushButton2());
    EXPECT_TRUE(QTest::qWaitFor([this] { return statuses().front() == "Stopped"; }, 1000));
    EXPECT_LT(clock.elapsed(), 1000);
    waitForTheRun();
    EXPECT_EQ(statuses(), (QStringList{"Stopped", "2 items"}));
    EXPECT_EQ(boxes(),
              QStringList{"Stopped.\n\n1 of 2 feeds were not read; see the Status column."});
    test::releaseSlowLookups();
}

TEST_F(Form1Test, EnterPressesButtonsDialogsOpenWhereUsefulAndShowTheWholeExample) {
    QTest::keyClick(m_form->PushButton1(), Qt::Key_Return);
    QTest::keyClick(m_form->PushButton6(), Qt::Key_Enter);
    m_form->Text1()->setText(QString::fromStdString(m_out.path().string()));
    QTest::keyClick(m_form->PushButton8(), Qt::Key_Return);
    m_form->Text1()->setText(m_form->Text1()->text() + "/absent");
    click(m_form->PushButton8());
    ASSERT_EQ(m_dialogs.shown.size(), 4u);
    EXPECT_EQ(m_dialogs.shown[1].detail.toStdString(),
              "Feed lists (*.txt *.opml *.xml);;Text Files (*.txt);;All Files (*)");
    EXPECT_EQ(m_dialogs.shown[2].detail.toStdString(), m_out.path().string());
    EXPECT_EQ(m_dialogs.shown[3].detail, "") << "a folder that does not exist";

    // The desktop's input box, shown for real: its first letter is in view with the cursor at
    // the end.
    int firstShown = -1;
    QTimer::singleShot(0, [&firstShown] {
        auto* edit = QApplication::activeModalWidget()->findChild<QLineEdit*>();
        edit->grab();  // lays the text out as painting does
        firstShown = edit->cursorPositionAt(edit->contentsRect().topLeft() + QPoint(4, 4));
        QApplication::activeModalWidget()->close();
    });
    QtDialogs().inputBox(nullptr, "Lumeward",
                         "Enter website address to add: ", "https://feeds.bbci.co.uk/news/rss.xml");
    EXPECT_EQ(firstShown, 0);
}

// Every way into the address list is kept, with each address's last Status, in order.
TEST_F(Form1Test, TheAddressListAndItsStatusesComeBackAfterARestart) {
    addresses(3);
    loadFile(m_files.write("list.txt", "http://127.0.0.1:1/none\n"));
    QCoreApplication::processEvents();
    m_form->ListView1()->remove(2);
    click(m_form->PushButton2());
    waitForTheRun();
    const QStringList listed = addresses();
    const QStringList read = statuses();
    ASSERT_EQ(read.size(), 3);
    EXPECT_EQ(read.first(), "2 items");
    restart();
    EXPECT_EQ(addresses(), listed);
    EXPECT_EQ(statuses(), read);
    EXPECT_EQ(m_form->ListView2()->count(), 0) << "the results start empty";
    // The Statuses of a list changed since the start are kept in their new places.
    m_form->ListView1()->remove(1);
    addresses(1);
    click(m_form->PushButton2());
    waitForTheRun();
    restart();
    const QStringList kept = read.mid(1) << "2 items";
    EXPECT_EQ(addresses(), listed.mid(1) << address(1));
    EXPECT_EQ(statuses(), kept);
    // The end of the program cuts a run short: only the Statuses of reads that ended count.
    m_form->ListView1()->add(stalledAddress());
    click(m_form->PushButton2());
    ASSERT_TRUE(QTest::qWaitFor([&] { return statuses().mid(0, 3) == kept; }, 5000));
    restart();
    EXPECT_EQ(statuses(), QStringList(kept) << "");
}

// A second run asks only for what changed, unless the setting says to read in full.
TEST_F(Form1Test, ASecondRunAsksOnlyForWhatChangedUnlessSetToReadInFull) {
    std::atomic<int> notModified = 0;
    m_servers[0].handle("/tagged", [&notModified](const auto& request, auto& response) {
        response.set_header("ETag", "\"v1\"");
        if (request.get_header_value("If-None-Match") == "\"v1\"") {
            ++notModified;
            response.status = 304;
            return;
        }
        response.set_content(
            "<rss><channel><item><title>a</title></item><item><title>b</title>"
            "</item></channel></rss>",
            "application/xml");
    });
    m_form->ListView1()->add(QString::fromStdString(m_servers[0].url("/tagged")));
    QStringList seen;
    for (const QString inFull : {"", "", "0", "1"}) {
        if (!inFull.isEmpty()) {
            SaveSetting("Kelvarin", "Lumeward", "Ask Servers For Changes Only", inFull);
        }
        click(m_form->PushButton2());
        waitForTheRun();
        seen << statuses().front() + " " + QString::number(notModified);
    }
    EXPECT_EQ(seen, (QStringList{"2 items 0", "2 items, not changed 1", "2 items 1",
                                 "2 items, not changed 2"}));
}

TEST_F(Form1Test, AStoreThatCannotBeUsedIsOneBoxAndTheWindowWorksAsOnAFirstStart) {
    const fs::path file = memory::defaultUserFile();
    m_form.reset();
    fs::remove(file);
    fs::create_directories(file);  // a folder in its place
    restart();
    addresses(2);
    click(m_form->PushButton2());
    waitForTheRun();
    EXPECT_EQ(rows(), "1.1+ 1.2+ 2.1+ 2.2+");
    const QStringList shown = boxes();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].contains(QString::fromStdString(file.string()))) << shown[0].toStdString();
    EXPECT_EQ(shown[1], "Done.");
    restart();
    EXPECT_EQ(addresses(), QStringList()) << "nothing was kept";
    EXPECT_EQ(boxes().size(), 3) << "one box per start";
}

// Already saved into the output folder: unchecked and greyed, as the folder says.
TEST_F(Form1Test, ResultsSavedIntoTheOutputFolderStartUncheckedAndFollowIt) {
    memory::UserStore(memory::defaultUserFile())
        .recordSaved(m_out.path(),
                     memory::itemKey(address(2).toStdString(), "", "https://site.example/2.2",
                                     "2.2", "About"),
                     "2.2.html");
    m_form->Text1()->setText(QString::fromStdString(m_out.path().string()) + "/");
    addresses(2);
    click(m_form->PushButton2());
    waitForTheRun();
    EXPECT_EQ(rows(), "1.1+ 1.2+ 2.1+ 2.2");
    const ListView& list = *m_form->ListView2();
    ASSERT_TRUE(list.saved(4));
    EXPECT_EQ(list.saved(4)->fileName, "2.2.html");
    EXPECT_NE(list.model()->index(3, 1).data(Qt::ForegroundRole),
              list.model()->index(1, 1).data(Qt::ForegroundRole));
    m_form->Text1()->setText(QString::fromStdString(m_files.path().string()));
    EXPECT_TRUE(QTest::qWaitFor([&list] { return !list.saved(4); }, 2000));
    EXPECT_EQ(rows(), "1.1+ 1.2+ 2.1+ 2.2+");
    click(m_form->PushButton5());
    m_form->Text1()->setText(QString::fromStdString(m_out.path().string()));
    EXPECT_TRUE(QTest::qWaitFor([&list] { return list.saved(4).has_value(); }, 2000));
    EXPECT_EQ(rows(), "1.1 1.2 2.1 2.2");
    click(m_form->PushButton4());
    EXPECT_EQ(rows(), "1.1+ 1.2+ 2.1+ 2.2+") << "Check All checks saved rows too";
}

}  // namespace
}  // namespace lumeward::window
