// A feed reader's OPML export of 100,000 feeds in 1,000 folders: read as "Load RSS URLs
// From File" and lumeward-batch's @FILE read it (file, decoding, OPML), and written back by
// "Save Addresses As…".
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "workflows/AddressFile.h"

namespace {

constexpr std::size_t kFolders = 1'000;
constexpr std::size_t kFeedsPerFolder = 100;

std::string benchOpml() {
    std::string opml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"2.0\">\n"
        "<head><title>Subscriptions</title></head>\n<body>\n";
    for (std::size_t folder = 0; folder < kFolders; ++folder) {
        opml += "<outline text=\"Folder " + std::to_string(folder) + "\">\n";
        for (std::size_t feed = 0; feed < kFeedsPerFolder; ++feed) {
            const std::string id = std::to_string(folder) + "-" + std::to_string(feed);
            opml += "  <outline type=\"rss\" text=\"News &amp; views " + id +
                    "\" title=\"News &amp; views " + id + "\" xmlUrl=\"https://news" + id +
                    ".example.org/feed.xml?format=rss&amp;lang=en\" htmlUrl=\"https://news" + id +
                    ".example.org/\"/>\n";
        }
        opml += "</outline>\n";
    }
    return opml + "</body>\n</opml>\n";
}

// The export in a file of its own under the temporary folder, removed afterwards.
class BenchFile {
public:
    explicit BenchFile(const std::string& content)
        : m_path(std::filesystem::temp_directory_path() /
                 ("lumeward-bench-" + std::to_string(::getpid()) + ".opml")) {
        std::ofstream(m_path, std::ios::binary) << content;
    }
    ~BenchFile() { std::filesystem::remove(m_path); }
    BenchFile(const BenchFile&) = delete;
    BenchFile& operator=(const BenchFile&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

void BM_ReadOpml100k(benchmark::State& state) {
    const std::string opml = benchOpml();
    const BenchFile file(opml);
    std::size_t addresses = 0;
    for (auto _ : state) {
        addresses = lumeward::workflows::readAddressFile(file.path()).size();
    }
    state.counters["addresses"] = static_cast<double>(addresses);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * opml.size()));
}

void BM_SaveOpml100k(benchmark::State& state) {
    const BenchFile file(benchOpml());
    const auto addresses = lumeward::workflows::readAddressFile(file.path());
    for (auto _ : state) {
        lumeward::workflows::saveAddressFile(file.path(), addresses);
    }
    state.counters["addresses"] = static_cast<double>(addresses.size());
}

BENCHMARK(BM_ReadOpml100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveOpml100k)->Unit(benchmark::kMillisecond);

}  // namespace
