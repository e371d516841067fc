#pragma once

#include <cstddef>
#include <vector>

namespace lumeward::window {

// How many result rows each feed of a run has added, summed over the feeds
// listed before a given one. Both steps take logarithmic time (a Fenwick
// tree), so placing the rows of every feed of a long list stays linear.
class FeedRowCounts {
public:
    explicit FeedRowCounts(std::size_t feeds);

    void add(std::size_t feed, std::size_t rows);
    // The rows of feeds 0 to feed - 1.
    std::size_t before(std::size_t feed) const;

private:
    // Entry i holds the rows of the feeds from i - lowestBit(i) to i - 1.
    std::vector<std::size_t> m_sums;
};

}  // namespace lumeward::window
