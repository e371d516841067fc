// Throughput of the two text cleaners, of the decoding of HTML character
// references and of the check for forbidden ones: over whole corpus feeds, over
// feed descriptions, and over hostile inputs beside ordinary text of the same size.
#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>

#include "feed/CharacterReferences.h"
#include "feed/TextCleaning.h"
#include "text/HtmlCharacterReferences.h"

namespace {

using lumeward::feed::cleanFeedText;
using lumeward::feed::hasForbiddenCharacterReference;
using lumeward::feed::stripHtml;
using lumeward::text::decodeCharacterReferences;

enum class Input {
    Rss2Feed,
    AtomFeed,
    RdfFeed,
    Descriptions,
    ShortDescription,
    OrdinaryText,
    Openings,
    Declarations,
    InterruptedTags,
    HiddenElements,
    StrippedDescriptions,
    NamedReferences,
    References,
    LateForbiddenReference,
};

constexpr std::size_t kMegabyte = 1 << 20;
constexpr const char* kMissingCorpus =
    "corpus missing: run python3 bench/gen_corpus.py bench/corpus";

std::string corpusFile(const char* name) {
    std::ifstream in(std::string(LUMEWARD_BENCH_CORPUS_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string repeated(const std::string& piece, std::size_t totalBytes) {
    std::string text;
    text.reserve(totalBytes + piece.size());
    while (text.size() < totalBytes) {
        text += piece;
    }
    return text;
}

// The HTML of every RSS 2.0 description, as the reader hands it to stripHtml.
std::string rssDescriptions(bool firstOnly) {
    pugi::xml_document document;
    const std::string feed = corpusFile("rss2-10k.xml");
    if (!document.load_buffer(feed.data(), feed.size())) {
        return {};
    }
    std::string descriptions;
    for (const auto& node : document.select_nodes("/rss/channel/item/description")) {
        descriptions += node.node().child_value();
        if (firstOnly) {
            break;
        }
        descriptions += '\n';
    }
    return descriptions;
}

std::string build(Input which) {
    switch (which) {
        case Input::Rss2Feed:
            return corpusFile("rss2-10k.xml");
        case Input::AtomFeed:
            return corpusFile("atom-10k.xml");
        case Input::RdfFeed:
            return corpusFile("rdf-10k.xml");
        case Input::Descriptions:
            return rssDescriptions(false);
        case Input::ShortDescription:
            return rssDescriptions(true);
        case Input::OrdinaryText:
            return repeated(
                "<p>The council\u2019s <b>budget</b> for Z\u00fcrich \u2014 \u65b0\u95fb, "
                "caf\u00e9 "
                "and <a href=\"https://example.org/a?b=1&amp;c=2\">more</a> text.</p>\n",
                kMegabyte);
        case Input::Openings:
            return std::string(kMegabyte, '<');
        case Input::Declarations:
            return repeated("<!DOCTYPE", kMegabyte);
        case Input::InterruptedTags:
            return repeated("<a\r", kMegabyte);
        case Input::HiddenElements:
            // A script never closed, whose content holds near misses of its end tag and
            // of comments: one scan, however many.
            return "<script>" + repeated("</scrip<!-<a ", kMegabyte);
        case Input::StrippedDescriptions:
            return stripHtml(rssDescriptions(false));
        case Input::NamedReferences:
            // Names that match only in part, and the longest name without its ";".
            return repeated(
                "&amp;&nbsp&notit;&#x2014;&#99999999999;&CounterClockwiseContourIntegral ",
                kMegabyte);
        case Input::References:
            return repeated("&#", kMegabyte);
        case Input::LateForbiddenReference:
            // Only a forbidden reference makes the check look at the markup around it.
            return repeated("<p a='&#233;'>caf&#233; <!-- &#0; --><![CDATA[&#0;]]></p>\n",
                            kMegabyte) +
                   "&#0;";
    }
    return {};
}

// Each input is built once; an empty text means the corpus is missing.
const std::string& input(Input which) {
    static std::map<Input, std::string> built;
    auto found = built.find(which);
    if (found == built.end()) {
        found = built.emplace(which, build(which)).first;
    }
    return found->second;
}

void BM_CleanFeedText(benchmark::State& state, Input which) {
    if (input(which).empty()) {
        state.SkipWithError(kMissingCorpus);
        return;
    }
    // The result goes back in, so no iteration pays for a copy. After the first
    // call there is nothing left to remove, which is the usual case for a feed.
    std::string text = cleanFeedText(std::string(input(which)));
    for (auto _ : state) {
        text = cleanFeedText(std::move(text));
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_StripHtml(benchmark::State& state, Input which) {
    const std::string& text = input(which);
    if (text.empty()) {
        state.SkipWithError(kMissingCorpus);
        return;
    }
    for (auto _ : state) {
        std::string stripped = stripHtml(text);
        benchmark::DoNotOptimize(stripped.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

}  // namespace

BENCHMARK_CAPTURE(BM_CleanFeedText, rss2_10k, Input::Rss2Feed);
BENCHMARK_CAPTURE(BM_CleanFeedText, atom_10k, Input::AtomFeed);
BENCHMARK_CAPTURE(BM_CleanFeedText, rdf_10k, Input::RdfFeed);
BENCHMARK_CAPTURE(BM_CleanFeedText, ordinary_1mb, Input::OrdinaryText);
BENCHMARK_CAPTURE(BM_CleanFeedText, openings_1mb, Input::Openings);
BENCHMARK_CAPTURE(BM_CleanFeedText, declarations_1mb, Input::Declarations);
BENCHMARK_CAPTURE(BM_CleanFeedText, interrupted_tags_1mb, Input::InterruptedTags);

void BM_ForbiddenReferenceCheck(benchmark::State& state, Input which) {
    const std::string& text = input(which);
    if (text.empty()) {
        state.SkipWithError(kMissingCorpus);
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(hasForbiddenCharacterReference(text));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

BENCHMARK_CAPTURE(BM_StripHtml, rss2_10k, Input::Rss2Feed);
BENCHMARK_CAPTURE(BM_StripHtml, atom_10k, Input::AtomFeed);
BENCHMARK_CAPTURE(BM_StripHtml, rdf_10k, Input::RdfFeed);
BENCHMARK_CAPTURE(BM_StripHtml, rss2_descriptions, Input::Descriptions);
BENCHMARK_CAPTURE(BM_StripHtml, short_description, Input::ShortDescription);
BENCHMARK_CAPTURE(BM_StripHtml, ordinary_1mb, Input::OrdinaryText);
BENCHMARK_CAPTURE(BM_StripHtml, openings_1mb, Input::Openings);
BENCHMARK_CAPTURE(BM_StripHtml, declarations_1mb, Input::Declarations);
BENCHMARK_CAPTURE(BM_StripHtml, interrupted_tags_1mb, Input::InterruptedTags);
BENCHMARK_CAPTURE(BM_StripHtml, hidden_elements_1mb, Input::HiddenElements);

// What the reader does after stripHtml: a copy in, as the reader hands over a fresh text.
void BM_DecodeCharacterReferences(benchmark::State& state, Input which) {
    const std::string& text = input(which);
    if (text.empty()) {
        state.SkipWithError(kMissingCorpus);
        return;
    }
    for (auto _ : state) {
        std::string decoded = decodeCharacterReferences(std::string(text));
        benchmark::DoNotOptimize(decoded.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

BENCHMARK_CAPTURE(BM_DecodeCharacterReferences, rss2_descriptions, Input::StrippedDescriptions);
BENCHMARK_CAPTURE(BM_DecodeCharacterReferences, ordinary_1mb, Input::OrdinaryText);
BENCHMARK_CAPTURE(BM_DecodeCharacterReferences, named_references_1mb, Input::NamedReferences);
BENCHMARK_CAPTURE(BM_DecodeCharacterReferences, numeric_openings_1mb, Input::References);

BENCHMARK_CAPTURE(BM_ForbiddenReferenceCheck, rss2_10k, Input::Rss2Feed);
BENCHMARK_CAPTURE(BM_ForbiddenReferenceCheck, atom_10k, Input::AtomFeed);
BENCHMARK_CAPTURE(BM_ForbiddenReferenceCheck, rdf_10k, Input::RdfFeed);
BENCHMARK_CAPTURE(BM_ForbiddenReferenceCheck, references_1mb, Input::References);
BENCHMARK_CAPTURE(BM_ForbiddenReferenceCheck, late_forbidden_1mb, Input::LateForbiddenReference);
