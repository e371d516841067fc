#include "shell/Splash.h"

#include "shell/WindowPlacement.h"
#include "window/Settings.h"
#include "window/Twips.h"
#include "workflows/FileExists.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include <utility>

namespace lumeward::shell {

namespace {

using window::GetSetting;
using window::pixelsToTwips;
using window::SaveSetting;
using window::twipsRect;
using window::twipsToPixels;

constexpr int kCheckLeft = 120;
constexpr int kCheckWidth = 4215;
constexpr int kCheckHeight = 375;
constexpr int kCheckBottomGap = 20;
// The white strip below the picture that holds the check box.
constexpr int kStripHeight = 300;
// Long enough to reach past any splash picture; the window clips them.
constexpr int kLineLength = 10000;
constexpr int kLineInset = 10;
constexpr double kDisplaySeconds = 4;
constexpr double kDeveloperDisplaySeconds = 0.4;

// The file system's own order, as the picture shown is simply the first one found.
QString firstPlainFile(const QString& folder) {
    if (folder.isEmpty()) {
        return {};
    }
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::NoSort);
    return files.isEmpty() ? QString() : files.first().filePath();
}

// Only "0" written by Check1 asks for the splash; anything that is not a number is a
// damaged value and must not force the picture at every start.
bool userHidSplash() {
    bool ok = false;
    const qlonglong showAgain =
        GetSetting("Kelvarin", "Lumeward", "ShowAgain", "0").toLongLong(&ok);
    return !ok || showAgain != 0;
}

}  // namespace

Splash::Splash(std::function<void(double seconds)> pause, QString splashFolder)
    // A splash-type window stays out of the task bar and lets the desktop keep it on top.
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint),
      m_pause(std::move(pause)),
      m_splashFolder(std::move(splashFolder)),
      m_image1(new QLabel(this)),
      m_check1(new QCheckBox(tr("Hide this at next startup"), this)) {
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    // The picture sits at the top left; the strip below it stays white.
    m_image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_check1->setFont(QFont(QStringLiteral("Arial"), 9, QFont::Bold));
    // A check box fills with the button colour by default; the strip must stay white.
    m_check1->setBackgroundRole(QPalette::Window);
    m_check1->setAutoFillBackground(true);
    m_check1->setGeometry(twipsRect(kCheckLeft, 0, kCheckWidth, kCheckHeight));
    m_check1->setChecked(false);
    connect(m_check1, &QCheckBox::clicked, this, &Splash::Check1_Click);
}

Splash::~Splash() = default;

QLine Splash::borderLineTwips(int line) const {
    return m_lines[line];
}

void Splash::SplashShow() {
    if (GetSetting("Kelvarin", "Name", "Name2", "") == kDeveloperName) {
        return;
    }
    if (userHidSplash()) {
        return;
    }
    const QString picturePath = firstPlainFile(m_splashFolder);
    if (picturePath.isEmpty() ||
        !workflows::FileExists(QFile::encodeName(picturePath).toStdString())) {
        return;
    }
    setWindowTitle(QStringLiteral("Lumeward"));
    m_image1->move(0, 0);

    // A file that is no picture shows nothing: an empty white window with only a check
    // box would look like a fault.
    const QPixmap picture(picturePath);
    if (picture.isNull()) {
        return;
    }
    m_image1->setPixmap(picture);
    const int width = pixelsToTwips(picture.width());
    const int height = pixelsToTwips(picture.height()) + kStripHeight;
    m_image1->setGeometry(twipsRect(0, 0, width, height));
    resize(twipsToPixels(width), twipsToPixels(height));
    m_check1->move(twipsToPixels(kCheckLeft),
                   twipsToPixels(height - kCheckHeight - kCheckBottomGap));
    m_check1->raise();

    m_lines[0] = QLine(0, 0, 0, kLineLength);
    m_lines[1] = QLine(0, 0, kLineLength, 0);
    m_lines[2] = QLine(width - kLineInset, 0, width - kLineInset, kLineLength);
    m_lines[3] = QLine(0, height - kLineInset, kLineLength, height - kLineInset);
    update();

    show();
    CenterForm(*this);
    const bool developer = GetSetting("Kelvarin", "Name", "Name", "") == kDeveloperName;
    m_pause(developer ? kDeveloperDisplaySeconds : kDisplaySeconds);
    hide();
}

void Splash::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    for (const QLine& line : m_lines) {
        painter.drawLine(twipsToPixels(line.x1()), twipsToPixels(line.y1()),
                         twipsToPixels(line.x2()), twipsToPixels(line.y2()));
    }
}

void Splash::Check1_Click() {
    SaveSetting("Kelvarin", "Lumeward", "ShowAgain", m_check1->isChecked() ? "1" : "0");
}

}  // namespace lumeward::shell
