#include "feed/XmlDocument.h"

#include <gtest/gtest.h>

#include <string>

namespace lumeward::feed {
namespace {

struct LoadCase {
    const char* name;
    std::string text;
    bool loads;
};

class XmlDocumentLoading : public testing::TestWithParam<LoadCase> {};

TEST_P(XmlDocumentLoading, AcceptsOnlyWellFormedDocuments) {
    XmlDocument document;
    document.loadXml(std::string(GetParam().text));
    EXPECT_EQ(!document.isEmpty(), GetParam().loads) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Documents, XmlDocumentLoading,
    testing::Values(
        LoadCase{"SingleRoot", "<rss><channel/></rss>", true},
        LoadCase{"DeclarationAndWhiteSpace", "<?xml version=\"1.0\"?>\n\t<rss/>\r\n  ", true},
        LoadCase{"CommentsAndInstructionsAroundRoot",
                 "<!-- a --><?pi x?><rss/><!-- b --><?pi y?>\n", true},
        LoadCase{"UndefinedEntityKeptAsText", "<rss>a&nbsp;b</rss>", true},
        LoadCase{"Empty", "", false}, LoadCase{"OnlyWhiteSpace", " \n\t ", false},
        LoadCase{"TwoRoots", "<rss/><rss/>", false},
        LoadCase{"TextAfterRoot", "<rss/>trailing", false},
        LoadCase{"TextBeforeRoot", "leading<rss/>", false},
        LoadCase{"UnclosedRoot", "<rss><channel></channel>", false},
        LoadCase{"MismatchedTags", "<rss><a></b></rss>", false},
        LoadCase{"HtmlErrorPage", "<html><body><p>Not found<br></body></html>", false},
        LoadCase{"CutOffBody", "<rss><channel><item><title>Hal", false},
        LoadCase{"CdataBesideRoot", "<rss/><![CDATA[x]]>", false},
        // Numeric references must name characters XML allows.
        LoadCase{"AllowedReferences",
                 "<rss a='&#x9;&#10;'>&#13;&#32;&#xD7FF;&#xE000;&#xFFFD;&#x10FFFF;</rss>", true},
        LoadCase{"NulReferenceInText", "<rss>a&#0;b</rss>", false},
        LoadCase{"ControlReferenceInAttribute", "<rss a=\"&#x1F;\"/>", false},
        LoadCase{"SurrogateReference", "<rss>&#xD800;</rss>", false},
        LoadCase{"NonCharacterReference", "<rss>&#xFFFE;</rss>", false},
        LoadCase{"ReferenceBeyondUnicode", "<rss>&#x110000;</rss>", false},
        LoadCase{"ReferenceThatWrapsToNul", "<rss>&#4294967296;</rss>", false},
        LoadCase{"ForbiddenReferencesInCommentCdataAndInstruction",
                 "<!--&#0;--><rss><![CDATA[&#0;]]><?pi &#0;?></rss>", true},
        LoadCase{"QuotedGreaterThanDoesNotEndTheTag", "<rss a='>&#0;'/>", false},
        LoadCase{"IncompleteReferencesAreText", "<rss>&#; &#x; &#0 &#X0;</rss>", true}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(XmlDocument, ReloadingWithBadTextLeavesItEmpty) {
    XmlDocument document;
    document.loadXml("<rss/>");
    ASSERT_FALSE(document.isEmpty());
    document.loadXml("<rss>");
    EXPECT_TRUE(document.isEmpty());
}

TEST(XmlDocument, ElementTextJoinsAllDescendantTextAndCdataKeepingWhiteSpace) {
    XmlDocument document;
    document.loadXml(
        "<r><d>  one <b>two</b>\n <![CDATA[<i>three</i>]]><!-- no --><?pi no?>"
        "<e><f> four</f></e> </d></r>");
    const auto node = document.selectSingleNode(document.root(), "/r/d");
    EXPECT_EQ(XmlDocument::nodeText(node), "  one two\n <i>three</i> four ");
}

TEST(XmlDocument, AttributeTextIsItsValue) {
    XmlDocument document;
    document.loadXml("<feed><link rel='alternate' href='https://a.example/?x=1&amp;y=2'/></feed>");
    const auto node =
        document.selectSingleNode(document.root(), "/feed/link[@rel='alternate']/@href");
    EXPECT_EQ(XmlDocument::nodeText(node), "https://a.example/?x=1&y=2");
}

TEST(XmlDocument, NamesMatchAsWrittenWithPrefixAndWithoutNamespaces) {
    XmlDocument document;
    document.loadXml(
        "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#' xmlns='urn:x'>"
        "<item/><item/><rdf:item/></rdf:RDF>");
    EXPECT_EQ(document.selectNodes(document.root(), "/rdf:RDF/item").size(), 2u);
    EXPECT_FALSE(document.selectSingleNode(document.root(), "/RDF/item"));
}

TEST(XmlDocument, InvalidPathIsReportedAsComponentError) {
    XmlDocument document;
    document.loadXml("<rss/>");
    try {
        document.selectSingleNode(document.root(), "/rss[");
        FAIL() << "no error for an invalid path";
    } catch (const ComponentError& error) {
        EXPECT_EQ(error.number(), error_numbers::kInvalidPath);
        EXPECT_NE(std::string(error.what()).find("/rss["), std::string::npos);
    }
}

TEST(XmlDocument, DeepNestingNeitherOverflowsNorLosesText) {
    constexpr int kDepth = 200000;
    std::string text;
    for (int i = 0; i < kDepth; ++i) {
        text += "<a>";
    }
    text += "deep";
    for (int i = 0; i < kDepth; ++i) {
        text += "</a>";
    }
    XmlDocument document;
    document.loadXml(std::move(text));
    ASSERT_FALSE(document.isEmpty());
    EXPECT_EQ(XmlDocument::nodeText(document.selectSingleNode(document.root(), "/a")), "deep");
}

}  // namespace
}  // namespace lumeward::feed
