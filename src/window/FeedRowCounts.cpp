#include "window/FeedRowCounts.h"

namespace lumeward::window {

namespace {

std::size_t lowestBit(std::size_t value) {
    return value & (~value + 1);
}

}  // namespace

FeedRowCounts::FeedRowCounts(std::size_t feeds) : m_sums(feeds + 1, 0) {}

void FeedRowCounts::add(std::size_t feed, std::size_t rows) {
    for (std::size_t i = feed + 1; i < m_sums.size(); i += lowestBit(i)) {
        m_sums[i] += rows;
    }
}

std::size_t FeedRowCounts::before(std::size_t feed) const {
    std::size_t rows = 0;
    for (std::size_t i = feed; i > 0; i -= lowestBit(i)) {
        rows += m_sums[i];
    }
    return rows;
}

}  // namespace lumeward::window
