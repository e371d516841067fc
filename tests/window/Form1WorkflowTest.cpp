// The three buttons that do the work: retrieval, export and the output folder.
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

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

const char* const kTwoItems =
    "<rss><channel><item><title>One</title><description>&lt;b&gt;First&lt;/b&gt; text"
    "</description><link>https://a.example/1</link></item><item><title>Two</title>"
    "<link>https://a.example/2</link></item></channel></rss>";

class Form1Workflow : public testing::Test {
protected:
    Form1Workflow() {
        m_form.setPause([this](double seconds) { m_pauses.push_back(seconds); });
        m_form.Form_Load();
        m_server.serve("/feed", 200, kTwoItems);
    }

    std::vector<QString> messages() const {
        std::vector<QString> texts;
        for (const auto& shown : m_dialogs.shown) {
            if (shown.kind == "message") {
                texts.push_back(shown.text);
            }
        }
        return texts;
    }

    ListView& results() { return *m_form.ListView2(); }

    ScopedConfigHome m_configHome;
    LoopbackServer m_server;
    ScriptedDialogs m_dialogs;
    Form1 m_form{m_dialogs};
    std::vector<double> m_pauses;
};

TEST_F(Form1Workflow, EmptyAddressListOnlySaysSo) {
    results().add(QStringLiteral("kept"));
    m_form.PushButton2_Click();
    EXPECT_EQ(messages(), std::vector<QString>{"No files added."});
    EXPECT_EQ(results().count(), 1);
    EXPECT_EQ(m_form.MousePointer(), 0);
    EXPECT_TRUE(m_pauses.empty());
}

TEST_F(Form1Workflow, RunFillsCheckedRowsInListOrderWithProgressAndEndsIdle) {
    const QString good = QString::fromStdString(m_server.url("/feed"));
    const QString missing = QString::fromStdString(m_server.url("/missing"));
    for (const QString& address : {good, missing, good}) {
        m_form.ListView1()->add(address);
    }
    std::vector<int> barValues;
    QObject::connect(m_form.ProgressBar1(), &QProgressBar::valueChanged,
                     [&barValues](int value) { barValues.push_back(value); });
    int pointerAtDone = -1;
    double progressAtDone = -1;
    m_dialogs.onShown = [&](const ScriptedDialogs::Shown&) {
        pointerAtDone = m_form.MousePointer();
        progressAtDone = m_form.progress();
    };
    results().add(QStringLiteral("old row"));

    m_form.PushButton2_Click();

    ASSERT_EQ(results().count(), 4);
    const QString titles[] = {"One", "Two", "One", "Two"};
    for (qsizetype i = 1; i <= 4; ++i) {
        EXPECT_EQ(results().text(i), good) << "column 1 holds the feed address";
        EXPECT_TRUE(results().checked(i));
        EXPECT_EQ(results().subItem(i, 1), titles[i - 1]);
    }
    EXPECT_EQ(results().subItem(1, 2), "First text");
    EXPECT_EQ(results().subItem(1, 3), "https://a.example/1");
    EXPECT_EQ(barValues, (std::vector<int>{3333, 6667, 10000, 0}));
    EXPECT_EQ(messages(), std::vector<QString>{"Done."});
    EXPECT_EQ(pointerAtDone, 11);
    EXPECT_DOUBLE_EQ(progressAtDone, 100.0);
    EXPECT_EQ(m_pauses, std::vector<double>{1.0});
    EXPECT_EQ(m_form.MousePointer(), 0);
    EXPECT_EQ(m_form.ProgressBar1()->value(), 0);

    m_form.ListView1()->remove(3);
    m_form.ListView1()->remove(1);
    m_form.PushButton2_Click();
    EXPECT_EQ(results().count(), 0) << "a second run replaces the rows";
}

TEST_F(Form1Workflow, ClicksDuringARunAreIgnored) {
    m_form.ListView1()->add(QString::fromStdString(m_server.url("/feed")));
    QMetaObject::invokeMethod(
        &m_form,
        [this] {
            m_form.PushButton2_Click();
            m_form.PushButton3_Click();
            m_form.PushButton1_Click();
            m_form.PushButton6_Click();
            m_form.ListView1()->setCurrentIndex(m_form.ListView1()->model()->index(0, 0));
            m_form.ListView1_KeyDown(46);
        },
        Qt::QueuedConnection);
    m_form.PushButton2_Click();
    EXPECT_EQ(m_server.hits("/feed"), 1);
    EXPECT_EQ(results().count(), 2);
    EXPECT_EQ(m_form.ListView1()->count(), 1);
    ASSERT_EQ(m_dialogs.shown.size(), 1u);
    EXPECT_EQ(m_dialogs.shown[0].text, "Done.");
}

TEST_F(Form1Workflow, ExportWritesCheckedRowsAndReportsFailedSteps) {
    const TempDir dir;
    m_form.Text1()->setText(QString::fromStdString(dir.path().string()));
    for (const char* title : {"a", "b", "c"}) {
        const auto row = results().add(QStringLiteral("http://x/feed"));
        results().setSubItem(row, 1, QString::fromLatin1(title));
        results().setChecked(row, true);
    }
    results().setChecked(2, false);
    m_form.PushButton3_Click();
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "httpxfeed1.html"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "httpxfeed2.html"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    std::ifstream second(dir.path() / "httpxfeed2.html", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(second), {}), "c\r\n\r\n\r\n\r\n\r\n");
    EXPECT_EQ(messages(), std::vector<QString>{"Done."});

    m_dialogs.shown.clear();
    m_form.Text1()->setText(QString::fromStdString((dir.path() / "absent").string()));
    m_form.PushButton3_Click();
    ASSERT_EQ(m_dialogs.shown.size(), 5u);  // 118 and 126 for each checked row, then Done.
    const auto& report = m_dialogs.shown[0];
    EXPECT_EQ(report.caption, "Application Error");
    EXPECT_EQ(report.icon, Dialogs::Icon::Warning);
    EXPECT_TRUE(
        report.text.startsWith("No such file or directory\r\nin "
                               "Tessmoor.Form1.PushButton3_Click at line 118\r\r"
                               "Please email "))
        << report.text.toStdString();
    EXPECT_TRUE(m_dialogs.shown[1].text.contains("at line 126"));
    EXPECT_EQ(m_dialogs.shown[4].text, "Done.");
}

TEST_F(Form1Workflow, OutputFolderStartsAtHomeAndRemembersEveryChange) {
    EXPECT_EQ(m_form.Text1()->text(), QDir::homePath() + '/');
    EXPECT_EQ(GetSetting("Kelvarin", "Lumeward", "Download Location", "unset"),
              QDir::homePath() + '/');

    m_form.Text1()->setText(QStringLiteral("/srv/feeds"));
    ScriptedDialogs otherDialogs;
    Form1 restarted(otherDialogs);
    restarted.Form_Load();
    EXPECT_EQ(restarted.Text1()->text(), "/srv/feeds");
}

TEST_F(Form1Workflow, BrowseSetsTheFolderWithOneTrailingSlashAndCancelKeepsIt) {
    m_dialogs.folderAnswers = {QStringLiteral("/srv/out"), QStringLiteral("/srv/out/"),
                               QStringLiteral("/"), std::nullopt};
    m_form.PushButton8_Click();
    EXPECT_EQ(m_form.Text1()->text(), "/srv/out/");
    m_form.PushButton8_Click();
    EXPECT_EQ(m_form.Text1()->text(), "/srv/out/");
    m_form.PushButton8_Click();
    EXPECT_EQ(m_form.Text1()->text(), "/");
    m_form.PushButton8_Click();
    EXPECT_EQ(m_form.Text1()->text(), "/");
    EXPECT_EQ(GetSetting("Kelvarin", "Lumeward", "Download Location", ""), "/");
    EXPECT_EQ(m_dialogs.shown[0].text, "Please select folder:");
}

}  // namespace
}  // namespace lumeward::window
