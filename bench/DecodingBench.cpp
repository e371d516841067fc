// Throughput of response decoding on 10 MB feed bodies in four encodings: feed
// items in French (windows-1252), Japanese (Shift_JIS), Chinese (GBK), and all
// three in UTF-8, each named by the Content-Type header.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "text/TextDecoding.h"

namespace {

using lumeward::text::decodeResponseBody;

constexpr std::size_t kBodyBytes = 10'000'000;

constexpr const char* kFrench =
    "<item><title>Le caf\u00e9 \u00ab cr\u00e8me \u00bb co\u00fbte 3 \u20ac</title>"
    "<description>L\u2019\u00e9t\u00e9 \u00e0 Z\u00fcrich : \u201cd\u00e9j\u00e0 vu\u201d "
    "\u2014 na\u00efve fa\u00e7ade, \u0153uvre \u00e9crite.</description></item>\n";
constexpr const char* kJapanese =
    "<item><title>\u6771\u4eac\u306e\u5929\u6c17\u306f\u6674\u308c\u3001\u6c17\u6e29\u306f"
    "\uff12\uff15\u5ea6\u3067\u3059\u3002</title><description>\u65e5\u672c\u8a9e\u306e"
    "\u30cb\u30e5\u30fc\u30b9\u8a18\u4e8b\uff1a\u7d4c\u6e08\u3001\u653f\u6cbb\u3001\u30b9"
    "\u30dd\u30fc\u30c4\u3001\u6587\u5316\u3002</description></item>\n";
constexpr const char* kChinese =
    "<item><title>\u5317\u4eac\u4eca\u5929\u5929\u6c14\u6674\u6717\uff0c\u6c14\u6e29\u4e8c"
    "\u5341\u4e94\u5ea6\u3002</title><description>\u4e2d\u6587\u65b0\u95fb\uff1a\u7ecf\u6d4e"
    "\u3001\u653f\u6cbb\u3001\u4f53\u80b2\u3001\u6587\u5316\u3002</description></item>\n";

std::string repeated(const std::string& piece) {
    std::string text;
    text.reserve(kBodyBytes + piece.size());
    while (text.size() < kBodyBytes) {
        text += piece;
    }
    return text;
}

// The UTF-8 text in another encoding, by the C library; an empty text if it fails.
std::string encoded(const std::string& text, const char* charset) {
    const iconv_t descriptor = iconv_open(charset, "UTF-8");
    std::string bytes(text.size(), '\0');
    char* in = const_cast<char*>(text.data());
    char* out = bytes.data();
    std::size_t inLeft = text.size();
    std::size_t outLeft = bytes.size();
    const bool converted = iconv(descriptor, &in, &inLeft, &out, &outLeft) != std::size_t(-1);
    iconv_close(descriptor);
    bytes.resize(converted ? bytes.size() - outLeft : 0);
    return bytes;
}

void BM_DecodeResponseBody(benchmark::State& state, const std::string& body, const char* charset) {
    const std::string contentType = std::string("text/xml; charset=") + charset;
    if (body.empty()) {
        state.SkipWithError("the C library cannot encode the sample text");
        return;
    }
    std::size_t textBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();  // the decoder takes the body; the copy is not its work
        std::string bytes = body;
        state.ResumeTiming();
        const std::string text = decodeResponseBody(std::move(bytes), contentType);
        textBytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
    state.counters["text_x_body"] = static_cast<double>(textBytes) / body.size();
}

const std::string kWindows1252Body = encoded(repeated(kFrench), "WINDOWS-1252");
const std::string kShiftJisBody = encoded(repeated(kJapanese), "SHIFT_JIS");
const std::string kGbkBody = encoded(repeated(kChinese), "GBK");
const std::string kUtf8Body = repeated(std::string(kFrench) + kJapanese + kChinese);

}  // namespace

BENCHMARK_CAPTURE(BM_DecodeResponseBody, windows_1252, kWindows1252Body, "windows-1252")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeResponseBody, shift_jis, kShiftJisBody, "Shift_JIS")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeResponseBody, gbk, kGbkBody, "GBK")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeResponseBody, utf_8, kUtf8Body, "utf-8")->Unit(benchmark::kMillisecond);
