// Export of 10,000 checked rows from 20 feeds: into an empty folder, and again
// into the folder the first export filled, where every first-choice name is taken;
// and the same rows as web pages into an empty folder.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "memory/UserStore.h"
#include "support/BenchFolder.h"
#include "workflows/Export.h"
#include "workflows/SavedItems.h"

namespace {

using lumeward::bench::BenchFolder;
using lumeward::workflows::ExportFailure;
using lumeward::workflows::exportRows;
using lumeward::workflows::ResultRow;
using lumeward::workflows::SavedFileFormat;

constexpr std::size_t kRows = 10'000;
constexpr std::size_t kFeeds = 20;

std::vector<ResultRow> benchRows() {
    std::vector<ResultRow> rows;
    rows.reserve(kRows);
    for (std::size_t i = 0; i < kRows; ++i) {
        const std::string feed = std::to_string(i % kFeeds);
        const std::string item = std::to_string(i);
        rows.push_back(
            {true, "https://news" + feed + ".example.org/rss/feed-" + feed + ".xml",
             "Council approves the new harbour plan after a long debate, item " + item,
             "The city council voted on Tuesday to approve the <b>harbour plan</b>, which "
             "adds two piers, a ferry terminal and a cycle path along the quay. Residents "
             "raised concerns about traffic & noise during construction; the council "
             "promised quiet hours and a <a href=\"https://example.org/faq\">public FAQ</a>. "
             "Work is due to start in spring and last about three years.",
             "https://news" + feed + ".example.org/articles/2026/12/harbour-plan-" + item +
                 ".html"});
    }
    return rows;
}

// Timed export, each file recorded in store when one is given, as save does;
// failures and files written become counters.
double timedExport(const std::vector<ResultRow>& rows, const std::string& folder,
                   benchmark::State& state, SavedFileFormat format = SavedFileFormat::Plain,
                   lumeward::memory::UserStore* store = nullptr) {
    std::size_t failures = 0;
    const auto start = std::chrono::steady_clock::now();
    std::optional<lumeward::workflows::SavedRecord> record;
    if (store != nullptr) {
        record.emplace(*store);
    }
    const auto written = exportRows(
        rows, [&folder] { return folder; }, [&failures](const ExportFailure&) { ++failures; },
        format,
        [&record](const ResultRow& row, const std::filesystem::path& file) {
            if (record) {
                record->add(row, file);
            }
        });
    record.reset();  // records the last batch
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.counters["files"] = static_cast<double>(written.size());
    state.counters["failures"] = static_cast<double>(failures);
    return elapsed.count();
}

void BM_ExportIntoEmptyFolder(benchmark::State& state) {
    const auto rows = benchRows();
    for (auto _ : state) {
        const BenchFolder folder;
        state.SetIterationTime(timedExport(rows, folder.text(), state));
    }
}

// The same export as save makes it, every file recorded as saved a batch at a
// time, each beside a plain export in the same iteration: on a shared machine only
// side by side are the two comparable. The time counted is the recorded export's.
void BM_ExportAndRecordIntoEmptyFolder(benchmark::State& state) {
    const auto rows = benchRows();
    double plain = 0, recorded = 0;
    bool plainFirst = true;
    for (auto _ : state) {
        const BenchFolder plainFolder, folder, storeFolder;
        lumeward::memory::UserStore store(storeFolder.path() / "memory.sqlite");
        // Each goes first in turn: the one after pays for the writing back of the other's files.
        double seconds = 0;
        if (plainFirst) {
            plain += timedExport(rows, plainFolder.text(), state);
            seconds = timedExport(rows, folder.text(), state, SavedFileFormat::Plain, &store);
        } else {
            seconds = timedExport(rows, folder.text(), state, SavedFileFormat::Plain, &store);
            plain += timedExport(rows, plainFolder.text(), state);
        }
        plainFirst = !plainFirst;
        recorded += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["plain_s"] = plain / static_cast<double>(state.iterations());
    state.counters["recorded_x_plain"] = recorded / plain;
}

// save --new-only when every one of the 10,000 items is recorded already: the
// look-up and an export of nothing.
void BM_NewOnlyAllSaved(benchmark::State& state) {
    const auto rows = benchRows();
    for (auto _ : state) {
        const BenchFolder folder, storeFolder;
        lumeward::memory::UserStore store(storeFolder.path() / "memory.sqlite");
        timedExport(rows, folder.text(), state, SavedFileFormat::Plain, &store);
        const auto start = std::chrono::steady_clock::now();
        const auto unsaved = lumeward::workflows::unsavedRows(store, folder.path(), rows);
        timedExport(unsaved, folder.text(), state);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        if (!unsaved.empty()) {
            state.SkipWithError("items were taken for unsaved");
        }
    }
}

void BM_ExportIntoFullFolder(benchmark::State& state) {
    const auto rows = benchRows();
    for (auto _ : state) {
        const BenchFolder folder;
        exportRows(
            rows, [&folder] { return folder.text(); }, [](const ExportFailure&) {});
        state.SetIterationTime(timedExport(rows, folder.text(), state));
    }
}

void BM_ExportPagesIntoEmptyFolder(benchmark::State& state) {
    auto rows = benchRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].date = lumeward::feed::ItemDate(std::chrono::seconds(1'796'637'600 + 60 * i));
    }
    for (auto _ : state) {
        const BenchFolder folder;
        state.SetIterationTime(timedExport(rows, folder.text(), state, SavedFileFormat::Page));
    }
}

BENCHMARK(BM_ExportIntoEmptyFolder)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportPagesIntoEmptyFolder)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportAndRecordIntoEmptyFolder)
    ->UseManualTime()
    ->Iterations(6)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewOnlyAllSaved)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportIntoFullFolder)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
