// The whole path from response bytes to items (decode, clean, load, recognise,
// build items, strip tags) through FeedReader::ReadFeed, with the network
// replaced by an in-memory HTTP component, over the corpus and over hostile
// shapes (one huge text node, a million levels of nesting), and a site's
// address whose web page names the feed. Also reports the peak heap use of
// one read relative to the feed's size.
#include <malloc.h>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <new>
#include <string>

#include "feed/FeedReader.h"
#include "feed/HttpRequest.h"
#include "text/TextDecoding.h"

namespace {

// Live and peak heap bytes, counted for operator new and for pugixml.
std::size_t g_liveBytes = 0;
std::size_t g_peakBytes = 0;

void* countedAllocate(std::size_t size) {
    void* block = std::malloc(size);
    if (block) {
        g_liveBytes += malloc_usable_size(block);
        g_peakBytes = std::max(g_peakBytes, g_liveBytes);
    }
    return block;
}

void countedFree(void* block) {
    if (block) {
        g_liveBytes -= malloc_usable_size(block);
        std::free(block);
    }
}

}  // namespace

void* operator new(std::size_t size) {
    if (void* block = countedAllocate(size)) {
        return block;
    }
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    countedFree(block);
}
void operator delete(void* block, std::size_t) noexcept {
    countedFree(block);
}

namespace {

using namespace lumeward::feed;

// Hostile shapes, built in memory: one description that is a single text node
// of "huge-text-<MiB>" mebibytes, or one nested "nested-<thousands>" thousand
// elements deep; "json-huge-text-<MiB>", one JSON Feed item's HTML of that size.
// Doubling the size must no more than double the time.
std::string hostileFeed(const std::string& name) {
    const auto number = [&name](std::size_t prefix) { return std::stoul(name.substr(prefix)); };
    std::string body = "<rss><channel><item><title>T</title><description>";
    if (name.starts_with("huge-text-")) {
        body.append(number(10) << 20, 'x');
    } else {
        const std::size_t levels = number(7) * 1000;
        for (std::size_t i = 0; i < levels; ++i) {
            body += "<b>";
        }
        body += 'x';
        for (std::size_t i = 0; i < levels; ++i) {
            body += "</b>";
        }
    }
    return body + "</description></item></channel></rss>";
}

// A web page of about "page-<KiB>" kibibytes, as a site's home page is built
// (scripts, styles, nested sections, paragraphs with links and references),
// naming its feed, rss2-20.xml, in the last <link> of its head, or at its very
// end when the name ends in "-tail".
std::string webPage(const std::string& name) {
    const std::size_t size = std::stoul(name.substr(5)) << 10;
    const std::string feedLink =
        "<link rel=\"alternate\" type=\"application/rss+xml\" title=\"Feed\" href=\"rss2-20.xml\">";
    const bool atTail = name.ends_with("-tail");
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>Site</title>"
        "<link rel=\"stylesheet\" href=\"/s.css\"><script>var a = '<link>' < 2;</script>"
        "<style>p > a { color: red }</style>" +
        (atTail ? std::string() : feedLink) + "</head><body>";
    for (std::size_t i = 0; page.size() < size; ++i) {
        page += "<div class=\"post\"><h2><a href=\"/post/" + std::to_string(i) +
                "\">Post &amp; more</a></h2><p>Text of the post, with <b>mark-up</b>, "
                "&eacute;t&eacute; &#8212; and a <a href=\"https://example.org/x?a=1&amp;b=2\">"
                "link</a>.<br>Another line.</p><ul><li>one<li>two</ul></div>\n";
    }
    return page + (atTail ? feedLink : std::string()) + "</body></html>";
}

const std::string& corpusFile(const std::string& name) {
    static std::map<std::string, std::string> files;
    auto& bytes = files[name];
    if (bytes.empty() && name.starts_with("json-huge-text-")) {
        bytes = R"({"version":"https://jsonfeed.org/version/1.1","items":[{"content_html":")" +
                std::string(std::stoul(name.substr(15)) << 20, 'x') + "\"}]}";
    } else if (bytes.empty() && (name.starts_with("huge-text-") || name.starts_with("nested-"))) {
        bytes = hostileFeed(name);
    } else if (bytes.empty() && name.starts_with("page-")) {
        bytes = webPage(name);
    } else if (bytes.empty()) {
        std::ifstream in(std::string(LUMEWARD_BENCH_CORPUS_DIR) + "/" + name, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    return bytes;
}

// Answers every GET with the named corpus file, as a server would send it, at
// an address of its own, so that a page's link leads to another file.
class MemoryRequest : public HttpRequest {
public:
    static constexpr std::string_view kServer = "http://corpus.invalid/";

    void open(std::string_view, std::string_view url, bool) override {
        m_name = url.starts_with(kServer) ? url.substr(kServer.size()) : url;
    }
    void open(std::string_view method, std::string_view url, bool async, std::string_view,
              std::string_view) override {
        open(method, url, async);
    }
    void setCredentials(std::string_view, std::string_view, CredentialTarget) override {}
    void setRequestHeader(std::string_view, std::string_view) override {}
    void send() override { m_body = corpusFile(m_name); }
    std::string statusText() const override { return "OK"; }
    std::int32_t status() const override { return 200; }
    std::string responseBody() const override { return m_body; }
    std::string takeResponseText() override {
        return lumeward::text::decodeResponseBody(std::move(m_body), "application/xml");
    }
    std::string responseHeader(std::string_view name) const override {
        if (name != "Content-Type") {
            return {};
        }
        return m_name.starts_with("page-") ? "text/html" : "application/xml";
    }
    std::string movedTo() const override { return {}; }
    std::string responseAddress() const override { return std::string(kServer) + m_name; }

private:
    std::string m_name;
    std::string m_body;
};

std::shared_ptr<const ComponentRegistry> memoryRegistry() {
    auto registry = ComponentRegistry::standard();
    registry.add(component_names::kWinHttp, [] { return std::make_unique<MemoryRequest>(); });
    return std::make_shared<const ComponentRegistry>(std::move(registry));
}

void BM_ReadFeed(benchmark::State& state, const std::string& name) {
    const auto& bytes = corpusFile(name);
    if (bytes.empty()) {
        state.SkipWithError("corpus missing: run python3 bench/gen_corpus.py bench/corpus");
        return;
    }
    pugi::set_memory_management_functions(countedAllocate, countedFree);
    FeedReader reader(memoryRegistry());
    {
        // Heap use of one read by a reader that holds nothing yet: the peak, and
        // what the items keep afterwards.
        FeedReader fresh(memoryRegistry());
        const std::size_t before = g_liveBytes;
        g_peakBytes = g_liveBytes;
        fresh.ReadFeed(name);
        const double size = static_cast<double>(bytes.size());
        state.counters["peak_heap_x_feed"] = static_cast<double>(g_peakBytes - before) / size;
        state.counters["items_heap_x_feed"] = static_cast<double>(g_liveBytes - before) / size;
    }
    std::size_t items = 0;
    for (auto _ : state) {
        if (!reader.ReadFeed(name)) {
            state.SkipWithError(("read failed: " + reader.LastErrorDesc()).c_str());
            return;
        }
        items = reader.FeedItems()->size();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    state.counters["items"] = static_cast<double>(items);
}

BENCHMARK_CAPTURE(BM_ReadFeed, rss2_10k, std::string("rss2-10k.xml"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadFeed, atom_10k, std::string("atom-10k.xml"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadFeed, rdf_10k, std::string("rdf-10k.xml"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadFeed, json_10k, std::string("json-10k.json"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadFeed, rss2_20, std::string("rss2-20.xml"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ReadFeed, atom_20, std::string("atom-20.xml"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ReadFeed, rdf_20, std::string("rdf-20.xml"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ReadFeed, json_20, std::string("json-20.json"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ReadFeed, huge_text_8mib, std::string("huge-text-8"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadFeed, huge_text_32mib, std::string("huge-text-32"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadFeed, json_huge_text_8mib, std::string("json-huge-text-8"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadFeed, json_huge_text_32mib, std::string("json-huge-text-32"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadFeed, nested_250k, std::string("nested-250"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadFeed, nested_500k, std::string("nested-500"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadFeed, nested_1m, std::string("nested-1000"))
    ->Unit(benchmark::kMillisecond);
// A site's address: the 1 MiB page is looked through, then the feed it names is read.
BENCHMARK_CAPTURE(BM_ReadFeed, page_1mib, std::string("page-1024"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadFeed, page_1mib_link_at_end, std::string("page-1024-tail"))
    ->Unit(benchmark::kMillisecond);

}  // namespace
