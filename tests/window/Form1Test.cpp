#include "window/Form1.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "window/ListView.h"

namespace lumeward::window {
namespace {

using test::ScriptedDialogs;
using test::TempDir;

class Form1Test : public testing::Test {
protected:
    Form1Test() { m_form.Form_Load(); }

    QStringList addresses() const {
        QStringList texts;
        for (qsizetype i = 1; i <= m_form.ListView1()->count(); ++i) {
            texts << m_form.ListView1()->text(i);
        }
        return texts;
    }

    void loadFile(const std::filesystem::path& path) {
        m_dialogs.openAnswers.push_back({QString::fromStdString(path.string())});
        m_form.PushButton6_Click();
    }

    ScriptedDialogs m_dialogs;
    Form1 m_form{m_dialogs};
};

struct ControlCase {
    const char* name;
    QRect twips;  // left, top, width, height
    const char* caption;
};

TEST_F(Form1Test, PlacesEveryControlByItsNameWithCaptionAndGeometry) {
    const ControlCase cases[] = {
        {"ListView1", {120, 90, 6480, 2295}, ""},
        {"PushButton1", {120, 2480, 3255, 405}, "Add RSS Feed URL"},
        {"PushButton6", {3480, 2480, 3120, 405}, "Load RSS URLs From File"},
        {"PushButton2", {120, 2980, 6480, 405}, "Start Retrieving Data"},
        {"ListView2", {120, 3480, 6480, 2295}, ""},
        {"PushButton4", {120, 5860, 3255, 405}, "Check All"},
        {"PushButton5", {3480, 5860, 3120, 405}, "Uncheck All"},
        {"Frame1", {120, 6350, 6480, 800}, "Save Text File(s) To This Folder"},
        {"Text1", {240, 300, 5475, 345}, ""},
        {"PushButton8", {5760, 300, 495, 345}, "..."},
        {"PushButton3", {120, 7280, 6480, 405}, "Save Results As HTML"},
        {"ProgressBar1", {120, 7800, 6480, 405}, ""},
    };
    for (const auto& control : cases) {
        SCOPED_TRACE(control.name);
        auto* widget = m_form.findChild<QWidget*>(QString::fromLatin1(control.name));
        ASSERT_NE(widget, nullptr);
        const QRect& t = control.twips;
        EXPECT_EQ(widget->geometry(), QRect(qRound(t.x() / 15.0), qRound(t.y() / 15.0),
                                            qRound(t.width() / 15.0), qRound(t.height() / 15.0)));
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            EXPECT_EQ(button->text(), QString::fromLatin1(control.caption));
            EXPECT_TRUE(button->font().bold());
            EXPECT_DOUBLE_EQ(button->font().pointSizeF(), 11.25);
        } else {
            EXPECT_DOUBLE_EQ(widget->font().pointSizeF(), 9.0);
        }
    }
    EXPECT_EQ(m_form.ListView1()->toolTip(),
              "Double-click item to remove it. Move bar to right and out of window to reveal "
              "full names.");
    EXPECT_EQ(m_form.ListView2()->toolTip(),
              "Move bar to right and out of window to reveal full names.");
    for (const QWidget* described : {static_cast<const QWidget*>(m_form.ListView1()),
                                     static_cast<const QWidget*>(m_form.ListView2()),
                                     static_cast<const QWidget*>(m_form.Text1()),
                                     static_cast<const QWidget*>(m_form.PushButton8()),
                                     static_cast<const QWidget*>(m_form.ProgressBar1())}) {
        EXPECT_FALSE(described->accessibleName().isEmpty())
            << described->objectName().toStdString();
    }
    EXPECT_EQ(m_form.Frame1()->title(), "Save Text File(s) To This Folder");
    EXPECT_EQ(m_form.Text1()->parentWidget(), m_form.Frame1());
    EXPECT_EQ(m_form.ProgressBar1()->value(), 0);
    EXPECT_EQ(m_form.ProgressBar1()->maximum(), 10000);
}

TEST_F(Form1Test, HasAFixedSizeWhiteWindowWithoutMaximise) {
    EXPECT_EQ(m_form.minimumSize(), QSize(448, 555));
    EXPECT_EQ(m_form.maximumSize(), QSize(448, 555));
    EXPECT_TRUE(m_form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(m_form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(m_form.palette().color(QPalette::Window), QColor(Qt::white));
}

TEST_F(Form1Test, TabOrderRunsFromTheListsToTheFeedButtons) {
    const std::vector<const QWidget*> expected = {
        m_form.ListView1(),   m_form.ListView2(),  m_form.PushButton4(), m_form.PushButton5(),
        m_form.PushButton3(), m_form.Text1(),      m_form.PushButton8(), m_form.PushButton1(),
        m_form.PushButton6(), m_form.PushButton2()};
    // The focus chain also holds the lists' own parts; keep the controls only.
    std::vector<const QWidget*> chain;
    const QWidget* widget = m_form.ListView1();
    do {
        if (std::find(expected.begin(), expected.end(), widget) != expected.end()) {
            chain.push_back(widget);
        }
        widget = widget->nextInFocusChain();
    } while (widget != m_form.ListView1() && chain.size() < expected.size());
    EXPECT_EQ(chain, expected);
}

TEST_F(Form1Test, LoadAddsTheColumnsOfBothLists) {
    ASSERT_EQ(m_form.ListView1()->columnCount(), 1);
    EXPECT_EQ(m_form.ListView1()->columnHeader(1), "Feed URL(s)");
    EXPECT_EQ(m_form.ListView1()->columnWidthTwips(1), 5500);
    const QString headers[] = {"Feed URL(s)", "Result(s)", "Description", ""};
    const int widths[] = {2000, 4200, 1, 1};
    ASSERT_EQ(m_form.ListView2()->columnCount(), 4);
    for (int column = 1; column <= 4; ++column) {
        EXPECT_EQ(m_form.ListView2()->columnHeader(column), headers[column - 1]);
        EXPECT_EQ(m_form.ListView2()->columnWidthTwips(column), widths[column - 1]);
    }
    EXPECT_EQ(m_form.ListView1()->count(), 0);
    EXPECT_EQ(m_form.ListView2()->count(), 0);
}

TEST_F(Form1Test, CheckAllAndUncheckAllChangeOnlyTheChecks) {
    m_form.PushButton4_Click();  // empty list: nothing happens
    for (const char* title : {"a", "b", "c"}) {
        const auto row = m_form.ListView2()->add(QStringLiteral("feed"));
        m_form.ListView2()->setSubItem(row, 1, QString::fromLatin1(title));
    }
    m_form.ListView2()->setChecked(2, true);
    m_form.PushButton4_Click();
    for (qsizetype i = 1; i <= 3; ++i) {
        EXPECT_TRUE(m_form.ListView2()->checked(i));
    }
    m_form.PushButton5_Click();
    for (qsizetype i = 1; i <= 3; ++i) {
        EXPECT_FALSE(m_form.ListView2()->checked(i));
    }
    EXPECT_EQ(m_form.ListView2()->subItem(3, 1), "c");
    EXPECT_TRUE(m_dialogs.shown.empty());
}

TEST_F(Form1Test, AddsTheAddressTheInputBoxReturnsExactly) {
    m_dialogs.inputAnswers = {QStringLiteral("  https://a.example/feed "), std::nullopt, QString(),
                              QStringLiteral("  https://a.example/feed ")};
    for (int i = 0; i < 4; ++i) {
        m_form.PushButton1_Click();
    }
    EXPECT_EQ(addresses(), (QStringList{"  https://a.example/feed ", "  https://a.example/feed "}));
    ASSERT_EQ(m_dialogs.shown.size(), 4u);
    EXPECT_EQ(m_dialogs.shown[0].kind, "input");
    EXPECT_EQ(m_dialogs.shown[0].caption, "Lumeward");
    EXPECT_EQ(m_dialogs.shown[0].text, "Enter website address to add: ");
    EXPECT_TRUE(m_dialogs.shown[0].detail.startsWith("https://"));
}

TEST_F(Form1Test, AcceptingTheDefaultAddsTheExampleFeed) {
    m_form.PushButton1_Click();  // unscripted: cancelled
    m_dialogs.inputAnswers = {m_dialogs.shown[0].detail};
    m_form.PushButton1_Click();
    EXPECT_EQ(addresses(), QStringList{m_dialogs.shown[0].detail});
}

struct LineCase {
    const char* name;
    std::string content;
    QStringList expected;
};

TEST_F(Form1Test, LoadsAddressFilesByTheirLineRules) {
    const LineCase cases[] = {
        {"crlf", "http://a/\r\nhttp://b/\r\n", {"http://a/", "http://b/"}},
        {"lf", "http://a/\nhttp://b/\n", {"http://a/", "http://b/", ""}},
        {"cr", "http://a/\rhttp://b/", {"http://a/", "http://b/"}},
        {"empty-line", "http://a/\r\n\r\nhttp://b/", {"http://a/", "", "http://b/"}},
        {"blanks", " http://a/ \r\n", {" http://a/ "}},
        {"utf8", "https://b.example/caf\xc3\xa9\r\n", {"https://b.example/café"}},
        {"empty", "", {}},
    };
    const TempDir dir;
    for (const auto& lineCase : cases) {
        SCOPED_TRACE(lineCase.name);
        m_form.ListView1()->clear();
        loadFile(dir.write(std::string(lineCase.name) + ".txt", lineCase.content));
        EXPECT_EQ(addresses(), lineCase.expected);
    }
    EXPECT_TRUE(m_dialogs.shown.size() == std::size(cases));  // only the open dialogs
    EXPECT_EQ(m_dialogs.shown[0].text, "Add File(s) - Use Ctrl & Shift to select multiple files");
    EXPECT_EQ(m_dialogs.shown[0].detail, "Text Files (*.txt);;All Files (*)");
}

TEST_F(Form1Test, LoadAppendsToWhatIsListed) {
    const TempDir dir;
    m_form.ListView1()->add(QStringLiteral("http://first/"));
    loadFile(dir.write("a.txt", "http://first/\r\n"));
    EXPECT_EQ(addresses(), (QStringList{"http://first/", "http://first/"}));
}

TEST_F(Form1Test, ReportsMissingUnreadableAndSeveralFilesAndLoadsNothing) {
    const TempDir dir;
    loadFile(dir.path() / "missing.txt");
    loadFile(dir.path());  // a folder
    m_dialogs.openAnswers.push_back({"/tmp/a.txt", "/tmp/b.txt"});
    m_form.PushButton6_Click();
    m_form.PushButton6_Click();  // cancelled: nothing shown but the dialog

    EXPECT_EQ(m_form.ListView1()->count(), 0);
    std::vector<QString> messages;
    for (const auto& shown : m_dialogs.shown) {
        if (shown.kind == "message") {
            EXPECT_EQ(shown.caption, "Lumeward");
            messages.push_back(shown.text);
        }
    }
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], "File not found");
    EXPECT_TRUE(messages[1].contains(QString::fromStdString(dir.path().string())));
    EXPECT_TRUE(messages[1].contains("directory")) << messages[1].toStdString();
    EXPECT_EQ(messages[2], "Please select just one file.");
}

TEST_F(Form1Test, RemovesTheSelectedAddressByDoubleClickOrDeleteOnly) {
    for (const char* address : {"http://a/", "http://b/", "http://c/"}) {
        m_form.ListView1()->add(QString::fromLatin1(address));
    }
    m_form.ListView1_DblClick();  // nothing selected
    m_form.ListView1_KeyDown(46);
    EXPECT_EQ(addresses().size(), 3);

    auto select = [this](int row) {
        m_form.ListView1()->setCurrentIndex(m_form.ListView1()->model()->index(row - 1, 0));
    };
    select(2);
    m_form.ListView1_KeyDown(65);  // any other key keeps the item
    EXPECT_EQ(addresses().size(), 3);
    m_form.ListView1_KeyDown(46);
    EXPECT_EQ(addresses(), (QStringList{"http://a/", "http://c/"}));
    select(1);
    m_form.ListView1_DblClick();
    EXPECT_EQ(addresses(), QStringList{"http://c/"});
}

TEST_F(Form1Test, DeleteKeyAndDoubleClickOnTheListReachTheHandlers) {
    m_form.ListView1()->add(QStringLiteral("http://a/"));
    m_form.ListView1()->add(QStringLiteral("http://b/"));
    m_form.ListView1()->setCurrentIndex(m_form.ListView1()->model()->index(0, 0));
    QTest::keyClick(m_form.ListView1(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(addresses(), QStringList{"http://b/"});
    m_form.ListView1()->setCurrentIndex(m_form.ListView1()->model()->index(0, 0));
    QTest::mouseDClick(m_form.ListView1()->viewport(), Qt::LeftButton);
    EXPECT_EQ(m_form.ListView1()->count(), 0);
}

TEST_F(Form1Test, ClosingDuringALoadStopsItWithoutACrash) {
    const TempDir dir;
    std::string content;
    for (int i = 0; i < 5000; ++i) {
        content += "http://host/" + std::to_string(i) + "\r\n";
    }
    const auto path = dir.write("many.txt", content);
    // The first pending event the load handles closes the window.
    QMetaObject::invokeMethod(
        &m_form, [this] { m_form.close(); }, Qt::QueuedConnection);
    loadFile(path);
    EXPECT_TRUE(m_form.isClosing());
    EXPECT_LT(m_form.ListView1()->count(), 5000);
}

void moveMouse(QWidget* widget, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

TEST_F(Form1Test, PointerIsTheHandOverButtonsAndTheArrowOverTheBareSurface) {
    QPixmap hand(16, 16);
    hand.fill(Qt::red);
    m_form.setMouseIcon(QCursor(hand, 3, 1));
    const QPoint bare(2, 2);  // left of the address list
    ASSERT_EQ(m_form.childAt(bare), nullptr);

    for (QPushButton* button :
         {m_form.PushButton1(), m_form.PushButton2(), m_form.PushButton3(), m_form.PushButton4(),
          m_form.PushButton5(), m_form.PushButton6(), m_form.PushButton8()}) {
        moveMouse(&m_form, bare);
        EXPECT_EQ(m_form.MousePointer(), 0);
        moveMouse(button, {5, 5});
        EXPECT_EQ(m_form.MousePointer(), 99) << button->objectName().toStdString();
        EXPECT_EQ(m_form.cursor().shape(), Qt::BitmapCursor);
        EXPECT_EQ(m_form.cursor().hotSpot(), QPoint(3, 1));
    }
    // A control without a handler keeps the hand until the bare surface is reached.
    moveMouse(&m_form, m_form.ProgressBar1()->geometry().center());
    EXPECT_EQ(m_form.MousePointer(), 99);
    moveMouse(&m_form, bare);
    EXPECT_EQ(m_form.MousePointer(), 0);
    EXPECT_EQ(m_form.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Form1Test, BusyPointerWinsAndNoCursorFileMeansTheArrow) {
    m_form.setMousePointer(11);
    moveMouse(m_form.PushButton1(), {5, 5});
    moveMouse(&m_form, {2, 2});
    EXPECT_EQ(m_form.MousePointer(), 11);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    m_form.setMousePointer(0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    moveMouse(m_form.PushButton1(), {5, 5});
    EXPECT_EQ(m_form.MousePointer(), 99);
    EXPECT_EQ(m_form.cursor().shape(), Qt::ArrowCursor) << "no hand cursor was loaded";
}

}  // namespace
}  // namespace lumeward::window
