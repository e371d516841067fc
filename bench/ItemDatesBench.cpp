// Reading item dates: each form feeds write, and a date that is not one.
#include <benchmark/benchmark.h>

#include <string>

#include "feed/ItemDates.h"

namespace {

void BM_ParseItemDate(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(lumeward::feed::parseItemDate(text));
    }
}

BENCHMARK_CAPTURE(BM_ParseItemDate, rfc822, std::string("Mon, 07 Dec 2026 10:00:00 +0100"));
BENCHMARK_CAPTURE(BM_ParseItemDate, rfc822_named_zone, std::string("Mon, 7 Dec 26 10:00 PDT"));
BENCHMARK_CAPTURE(BM_ParseItemDate, rfc3339, std::string("2026-12-07T10:00:00.123+01:00"));
BENCHMARK_CAPTURE(BM_ParseItemDate, unreadable, std::string("sometime last week"));

}  // namespace
