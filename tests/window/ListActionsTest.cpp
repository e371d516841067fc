// The lists' own commands (menus, clipboard keys, drops, links) and row tooltips, through
// the real window.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include <ctime>
#include <optional>

#include "memory/StorePaths.h"
#include "memory/UserStore.h"
#include "support/AddressLineCases.h"
#include "support/ChildProcess.h"
#include "support/ScopedHome.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "window/AddressListActions.h"
#include "window/Form1.h"
#include "window/ListModel.h"
#include "window/ListView.h"
#include "window/ResultListActions.h"
#include "window/Settings.h"

namespace lumeward::window {
namespace {

class ListActionsTest : public testing::Test {
protected:
    ListActionsTest() {
        m_form.Form_Load();
        m_form.show();
        QGuiApplication::clipboard()->clear();
        m_results.findChild<ResultListActions*>()->setUrlOpener(
            [this](const QUrl& url) { m_opened << url.toString(); });
        for (const QString link : {"https://site/a", "HTTP://site/b", "javascript:alert(1)",
                                   "file:///etc/passwd", "http:///no-host", ""}) {
            const qsizetype row =
                m_results.add("http://feed/" + QString::number(m_results.count()));
            m_results.setSubItem(row, 1, "Title <b>" + link);
            m_results.setSubItem(row, 2, "one\n\n two \nthree\nfour\nfive\nsix");
            m_results.setSubItem(row, 3, link);
        }
    }

    std::string listed() const {
        QStringList texts;
        for (qsizetype i = 1; i <= m_list.count(); ++i) {
            texts << m_list.text(i);
        }
        return texts.join(' ').toStdString();
    }
    static std::string clipboard() { return QGuiApplication::clipboard()->text().toStdString(); }
    // The middle of a cell, scrolled into view; row -1 is below the rows.
    static QPoint cell(ListView& list, int row, int column = 0) {
        const QModelIndex index = list.model()->index(row, column);
        list.scrollTo(index);
        return row < 0 ? QPoint(5, list.viewport()->height() - 5) : list.visualRect(index).center();
    }
    // Opens the list's menu over a cell: its commands, "-" for each disabled one; triggers
    // the one named.
    static std::string menu(ListView& list, int row, const QString& command = {}) {
        const QPoint at = cell(list, row);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
        QApplication::sendEvent(list.viewport(), &event);
        QStringList shown;
        EXPECT_TRUE(list.findChild<QMenu*>()->isVisible());
        for (QAction* action : list.findChild<QMenu*>()->actions()) {
            if (!action->isVisible()) {
                continue;
            }
            shown << (action->isEnabled() ? action->text() : "-");
            if (action->text() == command) {
                action->trigger();
            }
        }
        list.findChild<QMenu*>()->hide();
        return shown.join('|').toStdString();
    }
    bool drop(const QList<QUrl>& links, const QString& text = {}) {
        QMimeData data;
        data.setUrls(links);
        data.setText(text.isEmpty() ? data.text() : text);
        // A drop goes where the drag entered. Offered a move (Shift held), the list takes a
        // copy: true when it did.
        const auto actions = Qt::MoveAction | Qt::CopyAction;
        QDragEnterEvent enter({5, 5}, actions, &data, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(m_list.viewport(), &enter);
        QDropEvent drop({5, 5}, actions, &data, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(m_list.viewport(), &drop);
        QCoreApplication::processEvents();
        return drop.isAccepted() && (enter.dropAction() | drop.dropAction()) == Qt::CopyAction;
    }
    std::string toolTip(ListView& list, int row, int column) {
        const QPoint at = cell(list, row, column);
        QHelpEvent event(QEvent::ToolTip, at, list.viewport()->mapToGlobal(at));
        QApplication::sendEvent(list.viewport(), &event);
        return QToolTip::text().toStdString();
    }

    test::ScopedHome m_configHome;
    test::ScriptedDialogs m_dialogs;
    Form1 m_form{m_dialogs};
    ListView& m_list = *m_form.ListView1();
    ListView& m_results = *m_form.ListView2();
    QStringList m_opened;
    test::TempDir m_dir;
};

TEST_F(ListActionsTest, AddressMenuActsOnTheRowUnderThePointerAndKeysOnTheSelectedOne) {
    EXPECT_EQ(menu(m_list, -1), "-|-|-||-") << "nothing to save";
    m_list.add("http://a/");
    m_list.add("http://b/");
    EXPECT_EQ(menu(m_list, -1), "-|-|-||Save Addresses As…") << "no selection, no clipboard";
    EXPECT_EQ(menu(m_list, 1, "Copy Address"), "Remove|Copy Address|-||Save Addresses As…");
    EXPECT_EQ(clipboard(), "http://b/");
    menu(m_list, 0, "Remove");
    EXPECT_EQ(menu(m_list, 0), "Remove|Copy Address|Paste Addresses||Save Addresses As…");
    QGuiApplication::clipboard()->setText("  http://c/ \r\n\r\n\thttp://d/\rhttp://e/\n \n");
    QTest::keySequence(&m_list, QKeySequence::Paste);
    EXPECT_EQ(listed(), "http://b/ http://c/ http://d/ http://e/");
    m_list.setCurrentIndex(m_list.model()->index(2, 0));
    QTest::keySequence(&m_list, QKeySequence::Copy);
    EXPECT_EQ(clipboard(), "http://d/");
}

TEST_F(ListActionsTest, DroppedLinksAndLinesAreAddedAndFilesLoadedOrReported) {
    const auto opml = m_dir.write("subs.opml", "<opml><outline xmlUrl='http://o/'/></opml>");
    const auto bad = m_dir.write("bad.xml", "<opml>\n<body>\n</opml>");
    EXPECT_TRUE(drop({QUrl("https://f.example/feed"), QUrl::fromLocalFile(opml.c_str())}));
    EXPECT_TRUE(drop({}, "http://g/\n\n  http://h/ "));
    drop({QUrl::fromLocalFile(bad.c_str())});
    EXPECT_EQ(listed(), "https://f.example/feed http://o/ http://g/ http://h/");
    ASSERT_EQ(m_dialogs.shown.size(), 1u);
    EXPECT_TRUE(
        m_dialogs.shown[0].text.endsWith("bad.xml: it is not well-formed OPML: Start-end "
                                         "tags mismatch on line 3"));
}

TEST_F(ListActionsTest, TypedLoadedPastedAndDroppedLinesFollowTheOneAddressLineRule) {
    const auto file = QString::fromStdString((m_dir.path() / "list.txt").string());
    const std::function<void(const QString&)> waysIn[] = {
        [&](const QString& text) {
            m_dialogs.inputAnswers.push_back(text), m_form.PushButton1_Click();
        },
        [&](const QString& text) {
            m_dir.write("list.txt", text.toStdString());
            m_dialogs.openAnswers.push_back({file}), m_form.PushButton6_Click();
        },
        [&](const QString& text) {
            QGuiApplication::clipboard()->setText(text);
            QTest::keySequence(&m_list, QKeySequence::Paste);
        },
        [&](const QString& text) { drop({}, text); }};
    for (const auto& [text, added] : test::kAddressLineCases) {
        for (const auto& wayIn : waysIn) {
            m_list.clear();
            wayIn(QString::fromStdString(text));
            EXPECT_EQ(listed() + (listed().empty() ? "" : " "), added)
                << testing::PrintToString(text) << " way in " << &wayIn - waysIn;
        }
    }
}

TEST_F(ListActionsTest, SavedAddressesLoadBackAsOpmlOrTextAndAFailureIsReported) {
    const QString folder = QString::fromStdString(m_dir.path().string());
    m_list.add("http://a/?x=1&y=2");
    m_list.add(" b ");
    m_dialogs.saveAnswers = {folder + "/feeds.opml", folder + "/feeds.txt", folder + "/no/x"};
    for (int i = 0; i < 3; ++i) {
        menu(m_list, 0, "Save Addresses As…");
    }
    m_list.clear();
    m_dialogs.openAnswers = {{folder + "/feeds.opml"}, {folder + "/feeds.txt"}};
    m_form.PushButton6_Click();
    m_form.PushButton6_Click();
    EXPECT_EQ(listed(), "http://a/?x=1&y=2 b http://a/?x=1&y=2 b");
    ASSERT_EQ(m_dialogs.shown.size(), 6u);
    EXPECT_EQ((m_dialogs.shown[0].text + m_dialogs.shown[0].detail).toStdString(),
              "Save Addresses AsOPML Files (*.opml);;Text Files (*.txt)");
    EXPECT_EQ(m_dialogs.shown[3].text.toStdString(),
              "Cannot write " + m_dir.path().string() + "/no/x: No such file or directory");
}

// Offered on the address whose read suggested another, put in place only when asked, and kept.
TEST_F(ListActionsTest, UseNewOrFoundAddressReplacesTheAddressAndIsKept) {
    using Reason = memory::SuggestedAddress::Reason;
    const struct {
        Reason reason;
        std::string command;
    } cases[] = {{Reason::Moved, "Use New Address"}, {Reason::Found, "Use Found Address"}};
    for (const auto& [reason, command] : cases) {
        m_list.clear();
        m_list.add("http://old/a");
        m_list.add("http://old/b");
        m_list.setSubItem(2, 1, "Moved to http://new/b");
        m_list.setSuggested(2, memory::SuggestedAddress{reason, "http://new/b"});
        EXPECT_EQ(menu(m_list, 0), "Remove|Copy Address|-||Save Addresses As…") << command;
        EXPECT_EQ(listed(), "http://old/a http://old/b") << "never in place by itself";
        const std::string offered = "Remove|Copy Address|-|" + command + "||Save Addresses As…";
        EXPECT_EQ(menu(m_list, 1, QString::fromStdString(command)), offered);
        EXPECT_EQ(listed(), "http://old/a http://new/b");
        EXPECT_EQ(m_list.subItem(2, 1), "") << "the Status was the old address's";
        EXPECT_EQ(menu(m_list, 1), "Remove|Copy Address|-||Save Addresses As…") << "used up";
        QCoreApplication::processEvents();
        const auto kept = memory::UserStore(memory::defaultUserFile()).keptAddresses();
        ASSERT_EQ(kept.size(), 2u);
        EXPECT_EQ(kept[1].address, "http://new/b");
        EXPECT_FALSE(kept[1].suggested);
    }
}

TEST_F(ListActionsTest, ResultsOpenOnlyTheirWebLinksByDoubleClickOrMenu) {
    for (int row = 0; row < 6; ++row) {
        // A double-click as the desktop sends it: press, release, double-click, release.
        QTest::mouseClick(m_results.viewport(), Qt::LeftButton, {}, cell(m_results, row, 1));
        QTest::mouseDClick(m_results.viewport(), Qt::LeftButton, {}, cell(m_results, row, 1));
        QTest::mouseRelease(m_results.viewport(), Qt::LeftButton, {}, cell(m_results, row, 1));
    }
    for (int row = 0; row < 6; ++row) {
        EXPECT_EQ(menu(m_results, row, "Open Link").front() == 'O', row < 2) << row;
    }
    EXPECT_EQ(m_opened.join(' '), "https://site/a http://site/b https://site/a http://site/b");
    EXPECT_EQ(menu(m_results, 2, "Copy Link"), "-|Copy Link||Save Checked As Web Pages…");
    EXPECT_EQ(clipboard(), "javascript:alert(1)");
    m_results.setCurrentIndex(m_results.model()->index(0, 2));
    QTest::keySequence(&m_results, QKeySequence::Copy);
    EXPECT_EQ(clipboard(), "https://site/a");
}

TEST_F(ListActionsTest, WhileBusyOnlyLinksOpenAndNothingChangesOrIsCopied) {
    m_list.add("http://a/");
    m_list.setCurrentIndex(m_list.model()->index(0, 0));
    m_results.setCurrentIndex(m_results.model()->index(1, 2));
    QGuiApplication::clipboard()->setText("http://pasted/");
    bool dropped = true;
    // An export with nothing checked says "Done." while still under way.
    m_dialogs.onShown = [&](const auto&) {
        EXPECT_EQ(menu(m_list, 0), "-|-|-||-");
        EXPECT_EQ(menu(m_results, 1), "Open Link|-||-");
        QTest::keySequence(&m_list, QKeySequence::Paste);
        QTest::keySequence(&m_list, QKeySequence::Copy);
        QTest::keySequence(&m_results, QKeySequence::Copy);
        m_form.findChild<AddressListActions*>()->saveAddressesAs();
        m_form.findChild<AddressListActions*>()->pasteAddresses();
        dropped = drop({QUrl("http://dropped/")});
        QTest::keyClick(&m_results, Qt::Key_Return);
    };
    m_form.PushButton3_Click();
    EXPECT_FALSE(dropped);
    EXPECT_EQ(listed(), "http://a/");
    EXPECT_EQ(clipboard(), "http://pasted/");
    EXPECT_EQ(m_dialogs.shown.size(), 1u) << "no save dialog";
    EXPECT_EQ(m_opened.join(' '), "http://site/b");
}

TEST_F(ListActionsTest, TooltipsShowTheWholeAddressAndTheResult) {
    const std::string address = "http://a-long-address.example/" + std::string(200, 'x');
    m_list.add(QString::fromStdString(address));
    EXPECT_EQ(toolTip(m_list, 0, 0), "<p>" + address + "</p>");
    EXPECT_EQ(toolTip(m_results, 0, 0), "<p>http://feed/0</p>");
    EXPECT_EQ(toolTip(m_results, 0, 3),
              "<p>Title &lt;b&gt;https://site/a</p>\n<p>one<br>\ntwo<br>\nthree<br>\nfour<br>\n"
              "five…</p>\n<p>https://site/a</p>");
    EXPECT_EQ(toolTip(m_results, 5, 1).find("</p>\n<p></p>"), std::string::npos)
        << "no link, no empty paragraph";
    const QDateTime at = QDateTime::fromSecsSinceEpoch(1796637600, Qt::UTC);
    m_results.setSaved(1, SavedAs{"a.html", at});
    const QString saved =
        "<p>Saved as a.html on " + QLocale().toString(at.toLocalTime(), QLocale::ShortFormat);
    EXPECT_TRUE(
        toolTip(m_results, 0, 3)
            .starts_with((saved + "</p>\n<p>Title &lt;b&gt;https://site/a</p>").toStdString()));
}

// The menu saves web pages; the button saves what the "Saved File Format" setting names.
// Both save the checked rows into the output folder, numbered on as any export is.
TEST_F(ListActionsTest, CheckedResultsAreSavedAsWebPagesByTheMenuOrTheSetting) {
    m_form.Text1()->setText(QString::fromStdString(m_dir.path().string()));
    const QDateTime date = QDateTime::fromSecsSinceEpoch(1796637600, Qt::UTC);
    m_results.insert(1,
                     {{"http://f/", {"Caf\u00e9 <b>", "One", "https://site/c"}, true, {}, date}});
    menu(m_results, 3, "Save Checked As Web Pages…");
    for (const QString format : {"page", " Page\n", "plain", "html"}) {
        m_results.setAllChecked(true);  // its first save unchecked it
        SaveSetting("Kelvarin", "Lumeward", "Saved File Format", format);
        m_form.PushButton3_Click();
    }
    std::string starts;
    for (int number = 1; number <= 5; ++number) {
        const auto text =
            test::readFile(m_dir.path() / ("httpf" + std::to_string(number) + ".html"));
        starts += text.substr(0, 15) + "|";
        if (number == 1) {
            EXPECT_NE(text.find("<title>Caf\u00e9 &lt;b&gt;</title>"), std::string::npos) << text;
            EXPECT_NE(text.find("<time datetime=\"2026-12-07T10:00:00Z\">"), std::string::npos);
        }
    }
    // "html" is no format: the plain one, the default, stands.
    EXPECT_EQ(
        starts,
        "<!DOCTYPE html>|<!DOCTYPE html>|<!DOCTYPE html>|Caf\u00e9 &lt;b&gt;|Caf\u00e9 &lt;b&gt;|");
    QStringList shown;
    for (const auto& box : m_dialogs.shown) {
        shown << box.text;
    }
    EXPECT_EQ(shown, QStringList(5, "Done."));
}

// Under the title, in the user's language and time zone.
TEST_F(ListActionsTest, ResultTooltipsShowTheDateAsTheUserReadsDates) {
    const QDateTime date = QDateTime::fromSecsSinceEpoch(1796637600, Qt::UTC);  // 2026-12-07 10:00
    m_results.insert(1, {{"http://feed/", {"Title", "Text", "https://site/a"}, true, {}, date},
                         {"http://feed/", {"", "Text"}, true, {}, date}});
    const std::optional<QByteArray> zone =
        qEnvironmentVariableIsSet("TZ") ? std::optional(qgetenv("TZ")) : std::nullopt;
    qputenv("TZ", "Europe/Berlin");
    ::tzset();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const std::string german = toolTip(m_results, 0, 1), untitled = toolTip(m_results, 1, 1);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const std::string english = toolTip(m_results, 0, 1);
    QLocale::setDefault(QLocale::system());
    zone ? qputenv("TZ", *zone) : qunsetenv("TZ");
    ::tzset();
    EXPECT_EQ(
        german,
        "<p>Title<br>\nMontag, 7. Dezember 2026 11:00</p>\n<p>Text</p>\n<p>https://site/a</p>");
    EXPECT_EQ(untitled, "<p>Montag, 7. Dezember 2026 11:00</p>\n<p>Text</p>");
    EXPECT_EQ(
        english,
        "<p>Title<br>\nMonday, December 7, 2026 11:00 AM</p>\n<p>Text</p>\n<p>https://site/a</p>");
}

}  // namespace
}  // namespace lumeward::window
