// Sums of the first i values of a sequence that change one at a time (a Fenwick tree):
// changing a value, a prefix sum and finding where a running total passes a point each
// cost O(log n). The document's blocks keep their lengths in one; the live counts and the
// laid-out lines keep their sums over blocks of paragraphs in them.
#pragma once

#include <bit>
#include <cassert>
#include <cstddef>
#include <utility>
#include <vector>

namespace verlo::text {

class PrefixSums {
public:
    std::size_t size() const { return tree_.size(); }

    // Starts over with these values, in O(n).
    void assign(const std::vector<std::size_t>& values) {
        assign(values.size(), [&values](std::size_t i) { return values[i]; });
    }
    // Starts over with the n values valueOf(0), ..., valueOf(n - 1), in O(n).
    template <class ValueOf>
    void assign(std::size_t n, const ValueOf& valueOf) {
        tree_.resize(n);
        for (std::size_t i = 0; i < n; ++i) tree_[i] = valueOf(i);
        for (std::size_t i = 1; i <= n; ++i) {
            const std::size_t parent = i + (i & (~i + 1));
            if (parent <= n) tree_[parent - 1] += tree_[i - 1];
        }
    }

    // Adds delta to value i (modulo 2^64, so a value shrinks by adding the negative).
    void add(std::size_t i, std::size_t delta) {
        for (++i; i <= tree_.size(); i += i & (~i + 1)) tree_[i - 1] += delta;
    }

    // The sum of values [0, i).
    std::size_t prefix(std::size_t i) const {
        assert(i <= tree_.size());
        std::size_t sum = 0;
        for (; i > 0; i &= i - 1) sum += tree_[i - 1];
        return sum;
    }

    // For x below the total: the index i with prefix(i) <= x < prefix(i + 1), and x - prefix(i).
    // Values of zero are passed over.
    std::pair<std::size_t, std::size_t> find(std::size_t x) const {
        const std::size_t n = tree_.size();
        std::size_t i = 0;
        for (std::size_t step = std::bit_floor(n); step != 0; step >>= 1) {
            if (i + step <= n && tree_[i + step - 1] <= x) {
                i += step;
                x -= tree_[i - 1];
            }
        }
        return {i, x};
    }

private:
    std::vector<std::size_t> tree_;  // tree_[i - 1] holds the sum of values (i - lowbit(i), i]
};

}  // namespace verlo::text
