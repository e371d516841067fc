// The window under a storm of user input: during a slow retrieval run, while it
// is closed in the middle of one, and when idle.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/LoopbackServer.h"
#include "support/ScopedConfigHome.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "window/Form1.h"
#include "window/ListView.h"
#include "window/Settings.h"

namespace lumeward::window {
namespace {

using test::LoopbackServer;
using test::ScopedConfigHome;
using test::ScriptedDialogs;
using test::TempDir;

constexpr int kBusyPointer = 11;
constexpr int kItemsPerFeed = 2;
// Each feed body arrives in a few pieces with a pause before each, so a run
// over several feeds lasts long enough for the window to take input between them.
constexpr std::size_t kPieceBytes = 120;
constexpr auto kPieceDelay = std::chrono::milliseconds(20);

std::string feedPath(int feed) {
    return "/slow/" + std::to_string(feed);
}

std::string itemTitle(int feed, int item) {
    return "Feed " + std::to_string(feed) + " item " + std::to_string(item);
}

std::string feedBody(int feed) {
    std::string body = "<rss><channel><title>Slow</title>";
    for (int item = 1; item <= kItemsPerFeed; ++item) {
        body += "<item><title>" + itemTitle(feed, item) + "</title><description>About " +
                itemTitle(feed, item) + "</description><link>https://site.example/" +
                std::to_string(feed) + "/" + std::to_string(item) + "</link></item>";
    }
    return body + "</channel></rss>";
}

void moveMouse(QWidget* widget, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

class Form1Stress : public testing::Test {
protected:
    static constexpr int kFeeds = 12;

    Form1Stress() {
        for (int feed = 1; feed <= kFeeds; ++feed) {
            serveSlowly(feedPath(feed), feedBody(feed));
        }
        m_form = std::make_unique<Form1>(m_dialogs);
        m_form->Form_Load();
        m_form->show();
        // While the window would wait a moment after "Done.", events keep coming.
        m_form->setPause([](double) {
            for (int i = 0; i < 5; ++i) {
                QCoreApplication::processEvents();
            }
        });
        m_dialogs.onShown = [this](const ScriptedDialogs::Shown& shown) {
            // The user goes on clicking while "Done." is showing.
            if (shown.kind == "message") {
                storm();
            }
        };
    }

    void serveSlowly(const std::string& path, std::string body) {
        m_server.handle(
            path, [body = std::move(body)](const httplib::Request&, httplib::Response& response) {
                response.set_chunked_content_provider(
                    "application/xml", [body](std::size_t offset, httplib::DataSink& sink) {
                        std::this_thread::sleep_for(kPieceDelay);
                        const std::size_t size = std::min(kPieceBytes, body.size() - offset);
                        sink.write(body.data() + offset, size);
                        if (offset + size == body.size()) {
                            sink.done();
                        }
                        return true;
                    });
            });
    }

    QString address(int feed) const { return QString::fromStdString(m_server.url(feedPath(feed))); }

    void listFeeds(int count) {
        for (int feed = 1; feed <= count; ++feed) {
            m_form->ListView1()->add(address(feed));
        }
    }

    QStringList addresses() const {
        QStringList texts;
        for (qsizetype i = 1; i <= m_form->ListView1()->count(); ++i) {
            texts << m_form->ListView1()->text(i);
        }
        return texts;
    }

    ListView& results() const { return *m_form->ListView2(); }

    int shownCount(const QString& kind, const QString& text = {}) const {
        return static_cast<int>(
            std::count_if(m_dialogs.shown.begin(), m_dialogs.shown.end(), [&](const auto& shown) {
                return shown.kind == kind && (text.isEmpty() || shown.text == text);
            }));
    }

    // Every result row belongs to a feed the server was asked for and carries
    // that feed's own items, in order.
    void expectRowsFromRequestedFeedsOnly() const {
        std::set<QString> requested;
        for (const auto& request : m_server.requests()) {
            requested.insert(QString::fromStdString(m_server.url(request.path)));
        }
        for (qsizetype i = 1; i <= results().count(); ++i) {
            SCOPED_TRACE(i);
            const QString feed = results().text(i);
            EXPECT_TRUE(requested.count(feed) == 1) << feed.toStdString();
            const int number = feed.section('/', -1).toInt();
            const int item = (i - 1) % kItemsPerFeed + 1;
            EXPECT_EQ(results().subItem(i, 1).toStdString(), itemTitle(number, item));
            EXPECT_EQ(
                results().subItem(i, 3).toStdString(),
                "https://site.example/" + std::to_string(number) + "/" + std::to_string(item));
        }
    }

    void clickAddressRow(int row, bool twice) {
        ListView& list = *m_form->ListView1();
        const QPoint at = list.visualRect(list.model()->index(row - 1, 0)).center();
        if (twice) {
            QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
        } else {
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        }
    }

    void selectAddressRow(int row) {
        m_form->ListView1()->setCurrentIndex(m_form->ListView1()->model()->index(row - 1, 0));
    }

    // One round of everything a user can do to the window, through the real
    // input paths, each button by a mouse click.
    void storm() {
        if (m_inStorm || !m_form || m_form->isClosing()) {
            return;
        }
        m_inStorm = true;
        ++m_rounds;
        if (m_form->MousePointer() == kBusyPointer) {
            ++m_busyRounds;
        }
        // The pointer rule gives way to the busy pointer for the whole run.
        moveMouse(m_form->PushButton1(), {5, 5});
        moveMouse(m_form.get(), {2, 2});
        if (m_running) {
            EXPECT_EQ(m_form->MousePointer(), kBusyPointer);
        }
        QTest::mouseClick(m_form->PushButton1(), Qt::LeftButton);
        QTest::mouseClick(m_form->PushButton6(), Qt::LeftButton);
        QTest::mouseClick(m_form->PushButton8(), Qt::LeftButton);
        // A letter typed and taken back: every change is saved on the way.
        QTest::keyClicks(m_form->Text1(), QStringLiteral("x"));
        QTest::keyClick(m_form->Text1(), Qt::Key_Backspace);

        if (m_form->ListView1()->count() > 0) {
            clickAddressRow(1, false);
            QTest::keyClick(m_form->ListView1(), Qt::Key_Delete);
        }
        if (m_form->ListView1()->count() > 0) {
            clickAddressRow(1, true);
        }
        if (m_form->ListView1()->count() > 0) {
            selectAddressRow(1);
            m_form->ListView1_KeyDown(46);
        }
        if (m_form->ListView1()->count() > 0) {
            selectAddressRow(1);
            m_form->ListView1_DblClick();
        }

        QTest::mouseClick(m_form->PushButton2(), Qt::LeftButton);
        expectChecks();
        QTest::mouseClick(m_form->PushButton3(), Qt::LeftButton);
        m_inStorm = false;
    }

    // Check All, Uncheck All and the space bar on the first result row work at
    // any time, also while rows are still arriving.
    void expectChecks() {
        ListView& list = results();
        QTest::mouseClick(m_form->PushButton4(), Qt::LeftButton);
        for (qsizetype i = 1; i <= list.count(); ++i) {
            EXPECT_TRUE(list.checked(i)) << "row " << i << " after Check All";
        }
        QTest::mouseClick(m_form->PushButton5(), Qt::LeftButton);
        for (qsizetype i = 1; i <= list.count(); ++i) {
            EXPECT_FALSE(list.checked(i)) << "row " << i << " after Uncheck All";
        }
        if (list.count() > 0) {
            list.setCurrentIndex(list.model()->index(0, 0));
            QTest::keyClick(&list, Qt::Key_Space);
            EXPECT_TRUE(list.checked(1)) << "the space bar checks the current row";
        }
    }

    // Runs PushButton2's click with the storm firing at every pass of the
    // event loop; returns once the click handler has.
    void runWithStorm() {
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [this] { storm(); });
        timer.start(0);
        m_running = true;
        QTest::mouseClick(m_form->PushButton2(), Qt::LeftButton);
        m_running = false;
        timer.stop();
    }

    ScopedConfigHome m_configHome;
    LoopbackServer m_server;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<Form1> m_form;
    TempDir m_out;
    bool m_inStorm = false;
    bool m_running = false;
    int m_rounds = 0;
    int m_busyRounds = 0;
};

TEST_F(Form1Stress, InputDuringARunIsRefusedOrHarmlessAndTheRunCompletes) {
    constexpr int kListed = 5;
    listFeeds(kListed);
    const QStringList listed = addresses();
    const QString outFolder = QString::fromStdString(m_out.path().string());
    // Only the folder dialog may open while busy; it is answered every time.
    for (int i = 0; i < 200; ++i) {
        m_dialogs.folderAnswers.push_back(outFolder);
    }
    m_dialogs.inputAnswers.push_back(address(kFeeds));
    m_dialogs.openAnswers.push_back({QStringLiteral("/nonexistent/addresses.txt")});

    runWithStorm();

    EXPECT_GT(m_busyRounds, kListed) << "input arrived between the feeds";
    EXPECT_EQ(addresses(), listed) << "the address list is left alone while busy";
    EXPECT_EQ(shownCount("input"), 0);
    EXPECT_EQ(shownCount("open"), 0);
    EXPECT_EQ(shownCount("message"), 1);
    EXPECT_EQ(shownCount("message", "Done."), 1);
    EXPECT_GT(shownCount("folder"), 0);
    for (int feed = 1; feed <= kListed; ++feed) {
        EXPECT_EQ(m_server.hits(feedPath(feed)), 1) << "no second run was started";
    }
    EXPECT_EQ(m_server.requests().size(), static_cast<std::size_t>(kListed));
    ASSERT_EQ(results().count(), kListed * kItemsPerFeed);
    expectRowsFromRequestedFeedsOnly();
    EXPECT_TRUE(std::filesystem::is_empty(m_out.path())) << "nothing was exported while busy";
    EXPECT_EQ(m_form->Text1()->text(), outFolder + '/');
    EXPECT_EQ(GetSetting("Kelvarin", "Lumeward", "Download Location", ""), outFolder + '/');

    EXPECT_EQ(m_form->MousePointer(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(m_form->ProgressBar1()->value(), 0);
    EXPECT_FALSE(m_form->isClosing());
}

TEST_F(Form1Stress, ClosingInTheMiddleOfAStormedRunStopsItEarly) {
    listFeeds(kFeeds);
    const QStringList listed = addresses();
    for (int i = 0; i < 200; ++i) {
        m_dialogs.folderAnswers.push_back(QString::fromStdString(m_out.path().string()));
    }
    // Once the third feed has been asked for, the user closes the window.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [this] {
        if (m_server.requests().size() >= 3 && !m_form->isClosing()) {
            m_form->close();
        }
    });
    closer.start(0);

    runWithStorm();
    closer.stop();

    EXPECT_TRUE(m_form->isClosing());
    EXPECT_FALSE(m_form->isVisible());
    EXPECT_GT(m_busyRounds, 0);
    const std::size_t requests = m_server.requests().size();
    EXPECT_GE(requests, 3u);
    EXPECT_LT(requests, static_cast<std::size_t>(kFeeds)) << "the run stopped early";
    EXPECT_LE(results().count(), static_cast<qsizetype>(requests) * kItemsPerFeed);
    expectRowsFromRequestedFeedsOnly();
    EXPECT_EQ(addresses(), listed);
    EXPECT_EQ(shownCount("input"), 0);
    EXPECT_EQ(shownCount("open"), 0);
    EXPECT_EQ(shownCount("message"), 0) << "no \"Done.\" for a run cut short";
    EXPECT_TRUE(std::filesystem::is_empty(m_out.path()));

    // The busy pointer goes with the window.
    m_form.reset();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Form1Stress, TheSameInputWhenIdleDoesItsNormalWorkThenExports) {
    // One round, run by hand; the boxes the window opens start no other.
    m_dialogs.onShown = {};
    listFeeds(2);
    m_form->PushButton2_Click();
    ASSERT_EQ(results().count(), 2 * kItemsPerFeed);
    m_dialogs.shown.clear();

    const TempDir addressFiles;
    const auto file = addressFiles.write(
        "more.txt",
        (address(4) + "\r\n" + address(5) + "\r\n" + address(6) + "\r\n").toStdString());
    const QString outFolder = QString::fromStdString(m_out.path().string());
    m_dialogs.inputAnswers.push_back(address(3));
    m_dialogs.openAnswers.push_back({QString::fromStdString(file.string())});
    m_dialogs.folderAnswers.push_back(outFolder);

    storm();

    EXPECT_EQ(m_busyRounds, 0);
    EXPECT_EQ(shownCount("input"), 1);
    EXPECT_EQ(shownCount("open"), 1);
    EXPECT_EQ(shownCount("folder"), 1);
    // Feeds 1 to 6 were listed; the four removals took the first four.
    EXPECT_EQ(addresses(), (QStringList{address(5), address(6)}));
    EXPECT_EQ(m_form->Text1()->text(), outFolder + '/');
    EXPECT_EQ(GetSetting("Kelvarin", "Lumeward", "Download Location", ""), outFolder + '/');
    // The click on "Start Retrieving Data" ran over what was left.
    EXPECT_EQ(m_server.hits(feedPath(5)), 1);
    EXPECT_EQ(m_server.hits(feedPath(3)), 0);
    ASSERT_EQ(results().count(), 2 * kItemsPerFeed);
    expectRowsFromRequestedFeedsOnly();
    EXPECT_EQ(results().text(1), address(5));
    EXPECT_EQ(m_form->MousePointer(), 0);
    // The export in the round wrote the one row the space bar checked.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_out.path()), {}), 1);
    EXPECT_EQ(shownCount("message", "Done."), 2);

    QTest::mouseClick(m_form->PushButton4(), Qt::LeftButton);
    QTest::mouseClick(m_form->PushButton3(), Qt::LeftButton);

    std::vector<std::string> contents;
    for (const auto& entry : std::filesystem::directory_iterator(m_out.path())) {
        std::ifstream in(entry.path(), std::ios::binary);
        contents.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_EQ(contents.size(), 1u + 2 * kItemsPerFeed) << "files are never overwritten";
    for (int feed : {5, 6}) {
        for (int item = 1; item <= kItemsPerFeed; ++item) {
            const std::string link =
                "https://site.example/" + std::to_string(feed) + "/" + std::to_string(item);
            const std::string expected = itemTitle(feed, item) + "\r\n\r\nAbout " +
                                         itemTitle(feed, item) + "\r\n\r\n" + link + "\r\n";
            EXPECT_GE(std::count(contents.begin(), contents.end(), expected), 1) << expected;
        }
    }
    EXPECT_EQ(std::count(contents.begin(), contents.end(),
                         itemTitle(5, 1) + "\r\n\r\nAbout " + itemTitle(5, 1) +
                             "\r\n\r\nhttps://site.example/5/1\r\n"),
              2);
    EXPECT_EQ(shownCount("message", "Done."), 3);
    EXPECT_EQ(shownCount("message"), 3) << "no export step failed";
}

}  // namespace
}  // namespace lumeward::window
