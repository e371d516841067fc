#include "shell/HomePage.h"

#include <gtest/gtest.h>

#include <vector>

namespace lumeward::shell {
namespace {

// Hands out one given draw and records the seed it was given.
class ScriptedRandomSource : public RandomSource {
public:
    explicit ScriptedRandomSource(double draw) : m_draw(draw) {}

    void seed(unsigned value) override { m_seeds.push_back(value); }
    double next() override { return m_draw; }

    const std::vector<unsigned>& seeds() const { return m_seeds; }

private:
    double m_draw;
    std::vector<unsigned> m_seeds;
};

class RecordingUrlOpener : public UrlOpener {
public:
    void open(const QUrl& url) override { m_opened.push_back(url); }

    const std::vector<QUrl>& opened() const { return m_opened; }

private:
    std::vector<QUrl> m_opened;
};

struct DrawCase {
    double draw;
    bool opens;
};

class HomePageDrawTest : public testing::TestWithParam<DrawCase> {};

TEST_P(HomePageDrawTest, OpensTheHomePageOnlyWhenTheNumberIsSeven) {
    ScriptedRandomSource random(GetParam().draw);
    RecordingUrlOpener opener;

    ShowHomePageAtRandom(random, opener, 45296);

    EXPECT_EQ(random.seeds(), std::vector<unsigned>{45296u});
    if (GetParam().opens) {
        EXPECT_EQ(opener.opened(),
                  std::vector<QUrl>{QUrl(QStringLiteral("https://lumeward.org/"))});
    } else {
        EXPECT_TRUE(opener.opened().empty());
    }
}

// n = floor(r * 100) + 1: 0.06 and 0.0699 give 7; their neighbours give 6 and 8;
// the ends of the range give 1 and 100.
INSTANTIATE_TEST_SUITE_P(HomePage, HomePageDrawTest,
                         testing::Values(DrawCase{0.06, true}, DrawCase{0.0699, true},
                                         DrawCase{0.065, true}, DrawCase{0.0599, false},
                                         DrawCase{0.07, false}, DrawCase{0.0, false},
                                         DrawCase{0.99999, false}, DrawCase{0.7, false}));

TEST(HomePage, SeedsWithTheSecondsSinceMidnight) {
    for (const int seconds : {0, 1, 43200, 86399}) {
        ScriptedRandomSource random(0.5);
        RecordingUrlOpener opener;
        ShowHomePageAtRandom(random, opener, seconds);
        EXPECT_EQ(random.seeds(), std::vector<unsigned>{static_cast<unsigned>(seconds)});
    }
}

TEST(StandardRandomSource, DrawsRepeatableValuesBetweenZeroAndOne) {
    StandardRandomSource first;
    StandardRandomSource second;
    first.seed(12345);
    second.seed(12345);
    std::vector<double> draws;
    for (int i = 0; i < 1000; ++i) {
        const double value = first.next();
        EXPECT_GE(value, 0.0);
        EXPECT_LT(value, 1.0);
        EXPECT_EQ(value, second.next());
        draws.push_back(value);
    }
    first.seed(12345);
    EXPECT_EQ(first.next(), draws.front());
    first.seed(12346);
    EXPECT_NE(first.next(), draws.front());
}

TEST(StandardRandomSource, OpensTheHomePageAboutOnceInAHundredSeeds) {
    StandardRandomSource random;
    RecordingUrlOpener opener;
    constexpr int kSeeds = 100000;
    for (int seconds = 0; seconds < kSeeds; ++seconds) {
        ShowHomePageAtRandom(random, opener, seconds);
    }
    const double share = static_cast<double>(opener.opened().size()) / kSeeds;
    EXPECT_GT(share, 0.005);
    EXPECT_LT(share, 0.015);
}

}  // namespace
}  // namespace lumeward::shell
