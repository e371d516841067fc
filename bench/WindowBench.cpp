// The window under load, as a user meets it: whole runs from "Start Retrieving
// Data" to "Done.", the longest the event loop waits meanwhile, a stalled server
// and Stop, the result list taking rows as a run hands them over, and a start
// with a long kept address list.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "memory/StorePaths.h"
#include "memory/UserStore.h"
#include "support/FeedFarm.h"
#include "window/Dialogs.h"
#include "window/Form1.h"
#include "window/ListModel.h"
#include "window/ListView.h"
#include "window/Settings.h"

namespace {

using lumeward::bench::FarmShape;
using lumeward::bench::FeedFarm;
using lumeward::window::Form1;
using lumeward::window::ListView;

// Answers nothing; a message ends the wait for it.
class BenchDialogs : public lumeward::window::Dialogs {
public:
    QEventLoop* waiting = nullptr;
    QString last;
    QStringList files;  // what the file dialog answers

    void message(QWidget*, const QString&, const QString& text, Icon) override {
        last = text;
        if (waiting) {
            waiting->quit();
        }
    }
    std::optional<QString> inputBox(QWidget*, const QString&, const QString&,
                                    const QString&) override {
        return std::nullopt;
    }
    QStringList openFiles(QWidget*, const QString&, const QString&) override { return files; }
    std::optional<QString> chooseFolder(QWidget*, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> saveFile(QWidget*, const QString&, const QString&) override {
        return std::nullopt;
    }
};

// The longest wait between two turns of the event loop while it runs.
class LoopWatch {
public:
    LoopWatch() {
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_longest = std::max(m_longest, m_clock.restart()); });
        m_clock.start();
        m_timer.start(0);
    }
    qint64 longestMs() const { return m_longest; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

struct WindowFigures {
    qint64 runMs = 0;
    qint64 longestGapMs = 0;
    qsizetype rows = 0;
};

// The real window with the farm's addresses listed, reading `jobs` feeds at once;
// `loop` runs until the window shows a message.
struct BenchWindow {
    BenchDialogs dialogs;
    Form1 form{dialogs};
    QEventLoop loop;

    BenchWindow(const FeedFarm& farm, int jobs) {
        lumeward::window::SaveSetting("Kelvarin", "Lumeward", "Feeds Read At Once",
                                      QString::number(jobs));
        form.setPause([](double) {});
        form.Form_Load();
        form.show();
        form.ListView1()->clear();  // the list the last window kept
        for (const auto& address : farm.addresses()) {
            form.ListView1()->add(QString::fromStdString(address));
        }
        QApplication::processEvents();
        dialogs.waiting = &loop;
    }
};

// A whole run of the real window over the farm's feeds, jobs at once.
WindowFigures runWindow(const FeedFarm& farm, int jobs) {
    BenchWindow window(farm, jobs);
    const LoopWatch watch;
    QElapsedTimer clock;
    clock.start();
    window.form.PushButton2_Click();
    window.loop.exec();
    return {clock.elapsed(), watch.longestMs(), window.form.ListView2()->count()};
}

void windowRuns() {
    for (const int feeds : {656, 2000}) {
        const FeedFarm farm({.feeds = feeds, .itemsPerFeed = 50});
        const auto figures = runWindow(farm, 8);
        std::printf("window run, %d feeds x 50 items at once: %lld ms to \"Done.\", %lld rows\n",
                    feeds, static_cast<long long>(figures.runMs),
                    static_cast<long long>(figures.rows));
    }
    // Each beside the same run one feed at a time.
    const auto runBothWays = [](const char* shape, const FeedFarm& farm) {
        for (const int jobs : {8, 1}) {
            const auto figures = runWindow(farm, jobs);
            std::printf(
                "window run, %s, jobs %d: %lld ms to \"Done.\", longest loop wait %lld ms, "
                "%lld rows, most on one host %d\n",
                shape, jobs, static_cast<long long>(figures.runMs),
                static_cast<long long>(figures.longestGapMs), static_cast<long long>(figures.rows),
                farm.mostAtOnceOnOneHost());
        }
    };
    runBothWays("200 feeds x 50 items at once", FeedFarm({.feeds = 200, .itemsPerFeed = 50}));
    runBothWays("200 feeds x 20 items on 20 hosts 100 ms late",
                FeedFarm({.feeds = 200,
                          .itemsPerFeed = 20,
                          .hosts = 20,
                          .delay = std::chrono::milliseconds(100)}));
}

void stalledRun() {
    const FeedFarm farm({.feeds = 200,
                         .itemsPerFeed = 20,
                         .hosts = 20,
                         .delay = std::chrono::milliseconds(100),
                         .stalledFeed = 0});
    BenchWindow window(farm, 8);
    Form1& form = window.form;
    QElapsedTimer clock, stopClock;
    qint64 othersIn = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (othersIn == 0 && form.ListView2()->count() == 199 * 20) {
            othersIn = clock.elapsed();
            stopClock.start();
            form.PushButton2_Click();  // reads "Stop Retrieving Data" now
        }
    });
    clock.start();
    poll.start(1);
    form.PushButton2_Click();
    window.loop.exec();
    std::printf(
        "window run with one stalled server among 200: the other feeds' rows in after %lld "
        "ms; Stop to \"Done.\" %lld ms (%s)\n",
        static_cast<long long>(othersIn), static_cast<long long>(stopClock.elapsed()),
        qPrintable(window.dialogs.last.section('\n', -1)));
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:")) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

// The result list alone: rows go in feed by feed (50 rows, one insertion each)
// with the newest brought into view, as a run hands them over; with `paint`, the
// event loop turns (and the list repaints) after every single feed, the most a
// run can ask of it.
void resultList(int rows, bool paint) {
    ListView list(true);
    list.resize(432, 153);
    // Columns as the window sets them.
    for (const QString& header : {"Feed URL(s)", "Result(s)", "Description", ""}) {
        list.addColumn(header);
    }
    const int widths[] = {2000, 4200, 1, 1};
    for (int column = 1; column <= 4; ++column) {
        list.setColumnWidthTwips(column, widths[column - 1]);
    }
    list.show();
    QApplication::processEvents();
    const long before = residentKiB();
    QElapsedTimer clock;
    clock.start();
    for (int first = 0; first < rows; first += 50) {
        std::vector<lumeward::window::ListRow> feed;
        for (int row = first; row < std::min(rows, first + 50); ++row) {
            const QString id = QString::number(row);
            feed.push_back({"http://news.example.com/feed/" + QString::number(row / 50) + ".xml",
                            {"Council approves budget for the new library, item " + id,
                             "The town council voted on Tuesday to fund the new library building "
                             "and its reading garden. Work starts in autumn.",
                             "http://news.example.com/2024/05/story-" + id + ".html"},
                            true,
                            {}});
        }
        list.insert(list.count() + 1, std::move(feed));
        list.ensureVisible(list.count());
        if (paint) {
            QApplication::processEvents();
        }
    }
    QApplication::processEvents();
    std::printf("result list alone, %d rows%s: %lld ms, %.0f MB more resident\n", rows,
                paint ? ", repainted after every feed" : "",
                static_cast<long long>(clock.elapsed()),
                static_cast<double>(residentKiB() - before) / 1024.0);
}

// "Load RSS URLs From File" with a file of `lines` addresses, in the shown window,
// from the click to the list painted with them.
void loadAddresses(const std::filesystem::path& folder, int lines) {
    const auto file = folder / "feeds.txt";
    {
        std::ofstream out(file, std::ios::binary);
        for (int i = 0; i < lines; ++i) {
            out << "https://news" << i % 97 << ".example.com/feeds/" << i << ".xml\r\n";
        }
    }
    BenchDialogs dialogs;
    dialogs.files = {QString::fromStdString(file.string())};
    Form1 form(dialogs);
    form.Form_Load();
    form.show();
    form.ListView1()->clear();  // the list the last window kept
    QApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    form.PushButton6_Click();
    form.ListView1()->repaint();
    QApplication::processEvents();
    std::printf("address file of %d lines into the shown window, kept: %lld ms, %lld listed\n",
                lines, static_cast<long long>(clock.elapsed()),
                static_cast<long long>(form.ListView1()->count()));
}

// The window starting with a remembered list of `addresses` addresses, each with
// a Status, from its making to the list painted.
void startWithKeptList(int addresses) {
    {
        std::vector<lumeward::memory::KeptAddress> list;
        for (int i = 0; i < addresses; ++i) {
            list.push_back({"https://news" + std::to_string(i % 97) + ".example.com/feeds/" +
                                std::to_string(i) + ".xml",
                            "20 items", "20 items"});
        }
        lumeward::memory::UserStore(lumeward::memory::defaultUserFile()).keepAddresses(list);
    }
    BenchDialogs dialogs;
    QElapsedTimer clock;
    clock.start();
    Form1 form(dialogs);
    form.Form_Load();
    form.show();
    form.ListView1()->repaint();
    QApplication::processEvents();
    std::printf(
        "window start with a kept list of %d addresses: %lld ms to the list shown, %lld "
        "listed\n",
        addresses, static_cast<long long>(clock.elapsed()),
        static_cast<long long>(form.ListView1()->count()));
}

}  // namespace

int main(int argc, char* argv[]) {
    // Offscreen, with settings and stores of its own.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    char home[] = "/tmp/lumeward-bench-XXXXXX";
    if (mkdtemp(home) == nullptr) {
        return 1;
    }
    qputenv("XDG_CONFIG_HOME", home);
    qputenv("XDG_DATA_HOME", home);
    qputenv("XDG_CACHE_HOME", home);
    QApplication application(argc, argv);
    // The parts to run: those named on the command line, else all.
    const std::pair<std::string_view, std::function<void()>> parts[] = {
        {"load",
         [&] {
             for (const int lines : {10'000, 100'000}) {
                 loadAddresses(home, lines);
             }
         }},
        {"results",
         [] {
             for (const bool paint : {false, true}) {
                 resultList(32'767, paint);
                 resultList(100'000, paint);
             }
         }},
        {"start", [] { startWithKeptList(10'000); }},
        {"runs", windowRuns},
        {"stalled", stalledRun},
    };
    const QStringList named = QApplication::arguments().mid(1);
    for (const auto& [name, run] : parts) {
        if (named.isEmpty() || named.contains(QString::fromUtf8(name.data(), name.size()))) {
            run();
        }
    }
    std::filesystem::remove_all(home);
    return 0;
}
