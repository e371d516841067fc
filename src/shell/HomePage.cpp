#include "shell/HomePage.h"

#include <QDesktopServices>

#include <cmath>

namespace lumeward::shell {

namespace {

constexpr int kLuckyNumber = 7;

}  // namespace

void StandardRandomSource::seed(unsigned value) {
    m_state = value;
}

// splitmix64: one step per draw; the top 53 bits give a double in [0, 1).
double StandardRandomSource::next() {
    m_state += 0x9E3779B97F4A7C15ULL;
    unsigned long long mixed = m_state;
    mixed = (mixed ^ (mixed >> 30)) * 0xBF58476D1CE4E5B9ULL;
    mixed = (mixed ^ (mixed >> 27)) * 0x94D049BB133111EBULL;
    mixed ^= mixed >> 31;
    return static_cast<double>(mixed >> 11) * 0x1.0p-53;
}

void DesktopUrlOpener::open(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

void ShowHomePageAtRandom(RandomSource& random, UrlOpener& opener, int secondsSinceMidnight) {
    random.seed(static_cast<unsigned>(secondsSinceMidnight));
    const int n = static_cast<int>(std::floor(random.next() * 100)) + 1;
    if (n == kLuckyNumber) {
        opener.open(QUrl(QString::fromLatin1(kHomePageAddress)));
    }
}

}  // namespace lumeward::shell
