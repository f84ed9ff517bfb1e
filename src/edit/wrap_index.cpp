#include "edit/wrap_index.h"

#include <algorithm>
#include <cassert>
#include <numeric>

namespace verlo::edit {

namespace {

constexpr std::size_t kBlockTarget = 512;   // size of blocks made when cutting a long run
constexpr std::size_t kBlockMax = 1024;     // a block larger than this is cut
constexpr std::size_t kBlockSmall = 128;    // a block smaller than this takes in its neighbour
constexpr std::size_t kRebuildAll = 1u << 16;  // splices this large rebuild everything

std::size_t sum(const std::uint32_t* first, const std::uint32_t* last) {
    std::size_t s = 0;
    for (; first != last; ++first) s += *first;
    return s;
}

}  // namespace

WrapIndex::WrapIndex() = default;

void WrapIndex::assign(const std::vector<std::uint32_t>& counts) {
    blocks_.clear();
    paragraphs_ = counts.size();
    lines_ = 0;
    for (std::size_t i = 0; i < counts.size(); i += kBlockTarget) {
        std::size_t n = std::min(kBlockTarget, counts.size() - i);
        Block b;
        b.counts.assign(counts.begin() + static_cast<std::ptrdiff_t>(i),
                        counts.begin() + static_cast<std::ptrdiff_t>(i + n));
        b.lines = sum(b.counts.data(), b.counts.data() + n);
        lines_ += b.lines;
        blocks_.push_back(std::move(b));
    }
    rebuildTrees();
}

void WrapIndex::rebuildTrees() {
    paraSums_.assign(blocks_.size(), [this](std::size_t b) { return blocks_[b].counts.size(); });
    lineSums_.assign(blocks_.size(), [this](std::size_t b) { return blocks_[b].lines; });
}

std::size_t WrapIndex::blockOf(std::size_t paragraph, std::size_t* offset) const {
    const auto [b, rest] = paraSums_.find(paragraph);
    *offset = rest;
    return b;
}

std::uint32_t WrapIndex::count(std::size_t paragraph) const {
    assert(paragraph < paragraphs_);
    std::size_t off = 0;
    std::size_t b = blockOf(paragraph, &off);
    return blocks_[b].counts[off];
}

void WrapIndex::setCount(std::size_t paragraph, std::uint32_t count) {
    assert(paragraph < paragraphs_);
    std::size_t off = 0;
    std::size_t b = blockOf(paragraph, &off);
    std::uint32_t& c = blocks_[b].counts[off];
    std::ptrdiff_t delta = static_cast<std::ptrdiff_t>(count) - static_cast<std::ptrdiff_t>(c);
    if (delta == 0) return;
    c = count;
    blocks_[b].lines = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(blocks_[b].lines) + delta);
    lines_ = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(lines_) + delta);
    lineSums_.add(b, static_cast<std::size_t>(delta));
}

void WrapIndex::splice(std::size_t first, std::size_t removed, const std::uint32_t* counts,
                       std::size_t added) {
    assert(first + removed <= paragraphs_);
    if (removed == added) {
        for (std::size_t i = 0; i < added; ++i) setCount(first + i, counts[i]);
        return;
    }
    if (removed + added >= kRebuildAll || blocks_.empty()) {
        std::vector<std::uint32_t> all;
        all.reserve(paragraphs_ - removed + added);
        for (const Block& b : blocks_) all.insert(all.end(), b.counts.begin(), b.counts.end());
        all.erase(all.begin() + static_cast<std::ptrdiff_t>(first),
                  all.begin() + static_cast<std::ptrdiff_t>(first + removed));
        all.insert(all.begin() + static_cast<std::ptrdiff_t>(first), counts, counts + added);
        assign(all);
        return;
    }
    // Gather the blocks that the change touches into one run, splice it, cut it again.
    std::size_t off = 0;
    std::size_t firstBlock = first == paragraphs_ ? blocks_.size() - 1 : blockOf(first, &off);
    if (first == paragraphs_) off = blocks_.back().counts.size();
    std::size_t endBlock = firstBlock + 1;  // one past the last block gathered
    std::size_t gathered = blocks_[firstBlock].counts.size();
    while (off + removed > gathered) gathered += blocks_[endBlock++].counts.size();
    std::vector<std::uint32_t> run;
    run.reserve(gathered - removed + added + kBlockMax);
    for (std::size_t b = firstBlock; b < endBlock; ++b)
        run.insert(run.end(), blocks_[b].counts.begin(), blocks_[b].counts.end());
    run.erase(run.begin() + static_cast<std::ptrdiff_t>(off),
              run.begin() + static_cast<std::ptrdiff_t>(off + removed));
    run.insert(run.begin() + static_cast<std::ptrdiff_t>(off), counts, counts + added);
    if (run.size() < kBlockSmall && endBlock < blocks_.size()) {
        run.insert(run.end(), blocks_[endBlock].counts.begin(), blocks_[endBlock].counts.end());
        ++endBlock;
    }
    std::vector<Block> made;
    std::size_t pieces = run.size() <= kBlockMax ? 1 : (run.size() + kBlockTarget - 1) / kBlockTarget;
    for (std::size_t i = 0; i < pieces && !run.empty(); ++i) {
        std::size_t from = run.size() * i / pieces;
        std::size_t to = run.size() * (i + 1) / pieces;
        Block b;
        b.counts.assign(run.begin() + static_cast<std::ptrdiff_t>(from), run.begin() + static_cast<std::ptrdiff_t>(to));
        b.lines = sum(b.counts.data(), b.counts.data() + b.counts.size());
        made.push_back(std::move(b));
    }
    std::size_t linesBefore = 0;
    for (std::size_t b = firstBlock; b < endBlock; ++b) linesBefore += blocks_[b].lines;
    std::size_t linesAfter = 0;
    for (const Block& b : made) linesAfter += b.lines;
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(firstBlock),
                  blocks_.begin() + static_cast<std::ptrdiff_t>(endBlock));
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(firstBlock),
                   std::make_move_iterator(made.begin()), std::make_move_iterator(made.end()));
    paragraphs_ = paragraphs_ - removed + added;
    lines_ = lines_ - linesBefore + linesAfter;
    rebuildTrees();
}

std::size_t WrapIndex::firstLine(std::size_t paragraph) const {
    assert(paragraph <= paragraphs_);
    if (paragraph == paragraphs_) return lines_;
    std::size_t off = 0;
    std::size_t b = blockOf(paragraph, &off);
    const std::uint32_t* c = blocks_[b].counts.data();
    return lineSums_.prefix(b) + sum(c, c + off);
}

WrapIndex::Place WrapIndex::find(std::size_t line) const {
    assert(line < lines_);
    auto [b, rest] = lineSums_.find(line);
    const std::size_t paraBefore = paraSums_.prefix(b);
    const std::vector<std::uint32_t>& c = blocks_[b].counts;
    std::size_t i = 0;
    while (rest >= c[i]) rest -= c[i++];
    return Place{paraBefore + i, rest};
}

}  // namespace verlo::edit
