// A sequence of items with running sums of weights they carry (the laid-out lines of each
// paragraph, the characters of each paragraph), for a sequence that is edited a run at a
// time. The items live in blocks of a few hundred; PrefixSums over the blocks hold how many
// items and how much of each weight every block has. Changing one item costs O(log blocks);
// replacing a run costs the blocks it touches, plus O(blocks) when blocks split, merge or
// empty. The sum of a weight before an item, and the item where a running sum passes a
// point, cost O(log blocks + block size).
//
// Weigh is a function object giving an item's weight k (< K) as weigh(item, k); weights
// are added modulo 2^64, so a signed weight passes its two's complement.
#pragma once

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

#include "text/prefix_sums.h"

namespace verlo::text {

template <class Item, std::size_t K, class Weigh>
class BlockedSums {
public:
    using Weights = std::array<std::size_t, K>;

    // Blocks are cut to blockTarget items, grow to twice that and take in a neighbour
    // below a quarter of it.
    explicit BlockedSums(std::size_t blockTarget, Weigh weigh = {})
        : target_(std::max<std::size_t>(blockTarget, 4)), weigh_(std::move(weigh)) {}

    void assign(const Item* items, std::size_t count) {
        blocks_.clear();
        append(items, items + count, blocks_);
        size_ = count;
        rebuild();
    }

    std::size_t size() const { return size_; }
    const Item& at(std::size_t i) const {
        assert(i < size_);
        const auto [b, offset] = sizes_.find(i);
        return blocks_[b].items[offset];
    }
    const Item& back() const { return at(size_ - 1); }

    void set(std::size_t i, const Item& item) {
        assert(i < size_);
        const auto [b, offset] = sizes_.find(i);
        Item& old = blocks_[b].items[offset];
        const Weights before = weightsOf(old), after = weightsOf(item);
        old = item;
        for (std::size_t k = 0; k < K; ++k)
            if (after[k] != before[k]) addToBlock(b, k, after[k] - before[k]);
    }

    // Replaces `removed` items from `first` by the `count` items at `added`.
    void splice(std::size_t first, std::size_t removed, const Item* added, std::size_t count) {
        assert(first + removed <= size_);
        if (removed == count) {
            for (std::size_t i = 0; i < count; ++i) set(first + i, added[i]);
            return;
        }
        if (blocks_.empty() || removed + count >= kRebuildAll) {
            std::vector<Item> all = items();
            all.erase(all.begin() + static_cast<std::ptrdiff_t>(first),
                      all.begin() + static_cast<std::ptrdiff_t>(first + removed));
            all.insert(all.begin() + static_cast<std::ptrdiff_t>(first), added, added + count);
            assign(all.data(), all.size());
            return;
        }
        const auto [b, offset] = place(first);
        std::vector<Item>& items = blocks_[b].items;
        const std::size_t newSize = items.size() - removed + count;
        if (offset + removed <= items.size() && newSize <= 2 * target_ &&
            (newSize >= target_ / 4 || blocks_.size() == 1)) {
            // Inside one block that stays neither too big nor too small (typing): in place.
            Weights delta{};
            for (std::size_t i = offset; i < offset + removed; ++i) subtract(delta, weightsOf(items[i]));
            for (std::size_t i = 0; i < count; ++i) add(delta, weightsOf(added[i]));
            const auto at = items.begin() + static_cast<std::ptrdiff_t>(offset);
            items.erase(at, at + static_cast<std::ptrdiff_t>(removed));
            items.insert(items.begin() + static_cast<std::ptrdiff_t>(offset), added, added + count);
            sizes_.add(b, count - removed);
            for (std::size_t k = 0; k < K; ++k) addToBlock(b, k, delta[k]);
            size_ = size_ - removed + count;
            return;
        }
        recut(b, offset, removed, added, count);
    }

    // The sum of weight k over items [0, i) (i <= size()).
    std::size_t before(std::size_t k, std::size_t i) const {
        assert(i <= size_);
        if (i == size_) return total(k);
        const auto [b, offset] = sizes_.find(i);
        std::size_t sum = sums_[k].prefix(b);
        const Item* items = blocks_[b].items.data();
        for (std::size_t j = 0; j < offset; ++j) sum += weigh_(items[j], k);
        return sum;
    }
    std::size_t total(std::size_t k) const { return totals_[k]; }

    // For x below total(k): the item i with before(k, i) <= x < before(k, i + 1), and
    // x - before(k, i). Items of no weight are passed over.
    std::pair<std::size_t, std::size_t> find(std::size_t k, std::size_t x) const {
        auto [b, rest] = sums_[k].find(x);
        const Item* items = blocks_[b].items.data();
        std::size_t i = 0;
        while (rest >= weigh_(items[i], k)) rest -= weigh_(items[i++], k);
        return {sizes_.prefix(b) + i, rest};
    }

private:
    static constexpr std::size_t kRebuildAll = std::size_t{1} << 16;  // splices this large cut everything again

    struct Block {
        std::vector<Item> items;
        Weights sums{};
    };

    Weights weightsOf(const Item& item) const {
        Weights w;
        for (std::size_t k = 0; k < K; ++k) w[k] = weigh_(item, k);
        return w;
    }
    static void add(Weights& to, const Weights& w) {
        for (std::size_t k = 0; k < K; ++k) to[k] += w[k];
    }
    static void subtract(Weights& from, const Weights& w) {
        for (std::size_t k = 0; k < K; ++k) from[k] -= w[k];
    }
    void addToBlock(std::size_t b, std::size_t k, std::size_t delta) {
        blocks_[b].sums[k] += delta;
        sums_[k].add(b, delta);
        totals_[k] += delta;
    }

    // The block holding item i and i's place in it; past the end, the end of the last block.
    std::pair<std::size_t, std::size_t> place(std::size_t i) const {
        if (i == size_) return {blocks_.size() - 1, blocks_.back().items.size()};
        return sizes_.find(i);
    }

    std::vector<Item> items() const {
        std::vector<Item> all;
        all.reserve(size_);
        for (const Block& b : blocks_) all.insert(all.end(), b.items.begin(), b.items.end());
        return all;
    }

    // Cuts [first, last) into blocks appended to `to`: of target_ items (the last one
    // holding the rest), or, evenly, of about target_ (one block up to twice that).
    void append(const Item* first, const Item* last, std::vector<Block>& to, bool evenly = false) const {
        const std::size_t n = static_cast<std::size_t>(last - first);
        const std::size_t pieces = n == 0 ? 0 : evenly && n <= 2 * target_ ? 1 : (n + target_ - 1) / target_;
        for (std::size_t p = 0; p < pieces; ++p) {
            Block block;
            if (evenly)
                block.items.assign(first + n * p / pieces, first + n * (p + 1) / pieces);
            else
                block.items.assign(first + p * target_, first + std::min(n, (p + 1) * target_));
            for (const Item& item : block.items) add(block.sums, weightsOf(item));
            to.push_back(std::move(block));
        }
    }

    // The splice for runs across blocks, or that leave a block too big or too small: the
    // blocks it touches (and a small result's neighbour) are gathered and cut again.
    void recut(std::size_t b, std::size_t offset, std::size_t removed, const Item* added, std::size_t count) {
        std::size_t end = b + 1;  // one past the last block gathered
        for (std::size_t gathered = blocks_[b].items.size(); offset + removed > gathered;)
            gathered += blocks_[end++].items.size();
        std::vector<Item> run;
        for (std::size_t i = b; i < end; ++i) run.insert(run.end(), blocks_[i].items.begin(), blocks_[i].items.end());
        run.erase(run.begin() + static_cast<std::ptrdiff_t>(offset),
                  run.begin() + static_cast<std::ptrdiff_t>(offset + removed));
        run.insert(run.begin() + static_cast<std::ptrdiff_t>(offset), added, added + count);
        if (run.size() < target_ / 4 && end < blocks_.size()) {
            run.insert(run.end(), blocks_[end].items.begin(), blocks_[end].items.end());
            ++end;
        }
        std::vector<Block> made;
        append(run.data(), run.data() + run.size(), made, true);
        blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b), blocks_.begin() + static_cast<std::ptrdiff_t>(end));
        blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(b), std::make_move_iterator(made.begin()),
                       std::make_move_iterator(made.end()));
        size_ = size_ - removed + count;
        rebuild();
    }

    void rebuild() {
        sizes_.assign(blocks_.size(), [this](std::size_t b) { return blocks_[b].items.size(); });
        for (std::size_t k = 0; k < K; ++k)
            sums_[k].assign(blocks_.size(), [this, k](std::size_t b) { return blocks_[b].sums[k]; });
        totals_ = {};
        for (const Block& b : blocks_) add(totals_, b.sums);
    }

    std::size_t target_;
    Weigh weigh_;
    std::vector<Block> blocks_;
    PrefixSums sizes_;                // items per block
    std::array<PrefixSums, K> sums_;  // each weight per block
    Weights totals_{};
    std::size_t size_ = 0;
};

}  // namespace verlo::text
