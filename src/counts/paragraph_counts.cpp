#include "counts/paragraph_counts.h"

#include <algorithm>
#include <cassert>
#include <iterator>

namespace verlo::counts {

namespace {

constexpr std::size_t kBlock = 256;      // paragraphs a block is cut to
constexpr std::size_t kMaxBlock = 1024;  // a block grows to this before it is cut again

std::size_t asTree(std::int64_t v) { return static_cast<std::size_t>(v); }

}  // namespace

ParagraphCounts::ParagraphCounts() { assign({ParagraphCount{}}); }

void ParagraphCounts::assign(const std::vector<ParagraphCount>& counts) {
    size_ = counts.size();
    blocks_ = cut(counts);
    if (blocks_.empty()) blocks_.emplace_back();
    rebuildTrees();
}

std::vector<ParagraphCounts::Block> ParagraphCounts::cut(const std::vector<ParagraphCount>& counts) const {
    std::vector<Block> blocks;
    for (std::size_t at = 0; at < counts.size(); at += kBlock) {
        Block b;
        const auto from = counts.begin() + static_cast<std::ptrdiff_t>(at);
        b.counts.assign(from, from + static_cast<std::ptrdiff_t>(std::min(kBlock, counts.size() - at)));
        sumBlock(b);
        blocks.push_back(std::move(b));
    }
    return blocks;
}

void ParagraphCounts::sumBlock(Block& b) const {
    b.chars = 0;
    b.lines = 0;
    for (const ParagraphCount& c : b.counts) {
        b.chars += c.chars;
        b.lines += c.lines;
    }
}

void ParagraphCounts::rebuildTrees() {
    sizes_.assign(blocks_.size(), [this](std::size_t b) { return blocks_[b].counts.size(); });
    chars_.assign(blocks_.size(), [this](std::size_t b) { return asTree(blocks_[b].chars); });
    lines_.assign(blocks_.size(), [this](std::size_t b) { return blocks_[b].lines; });
}

std::size_t ParagraphCounts::blockOf(std::size_t paragraph, std::size_t* offset) const {
    if (paragraph >= size_) {
        *offset = blocks_.back().counts.size() - (size_ - paragraph);
        return blocks_.size() - 1;
    }
    const auto [block, rest] = sizes_.find(paragraph);
    *offset = rest;
    return block;
}

const ParagraphCount& ParagraphCounts::at(std::size_t paragraph) const {
    assert(paragraph < size_);
    std::size_t offset = 0;
    const std::size_t b = blockOf(paragraph, &offset);
    return blocks_[b].counts[offset];
}

void ParagraphCounts::set(std::size_t paragraph, const ParagraphCount& count) {
    std::size_t offset = 0;
    const std::size_t b = blockOf(paragraph, &offset);
    ParagraphCount& old = blocks_[b].counts[offset];
    const std::int64_t dChars = count.chars - old.chars;
    const std::size_t dLines = static_cast<std::size_t>(count.lines) - old.lines;
    old = count;
    blocks_[b].chars += dChars;
    blocks_[b].lines += dLines;
    chars_.add(b, asTree(dChars));
    lines_.add(b, dLines);
}

void ParagraphCounts::splice(std::size_t first, std::size_t removed, const std::vector<ParagraphCount>& added) {
    assert(first + removed <= size_);
    std::size_t offset = 0;
    const std::size_t b0 = blockOf(first, &offset);
    // The blocks the removed run touches become one run of counts, cut again below.
    std::size_t endOffset = 0;
    const std::size_t b1 = removed == 0 ? b0 : blockOf(first + removed - 1, &endOffset);
    if (removed != 0) ++endOffset;
    else endOffset = offset;

    const std::size_t oldSize = blocks_[b0].counts.size();
    std::vector<ParagraphCount> merged;
    if (b0 == b1) {
        merged = std::move(blocks_[b0].counts);
        const auto at = merged.begin() + static_cast<std::ptrdiff_t>(offset);
        merged.erase(at, at + static_cast<std::ptrdiff_t>(removed));
        merged.insert(merged.begin() + static_cast<std::ptrdiff_t>(offset), added.begin(), added.end());
    } else {
        const auto& head = blocks_[b0].counts;
        const auto& tail = blocks_[b1].counts;
        merged.assign(head.begin(), head.begin() + static_cast<std::ptrdiff_t>(offset));
        merged.insert(merged.end(), added.begin(), added.end());
        merged.insert(merged.end(), tail.begin() + static_cast<std::ptrdiff_t>(endOffset), tail.end());
    }
    size_ = size_ - removed + added.size();

    if (b0 == b1 && !merged.empty() && merged.size() <= kMaxBlock) {
        // The common case, typing: one block changes size, the trees take the differences.
        Block& block = blocks_[b0];
        const std::int64_t oldChars = block.chars;
        const std::size_t oldLines = block.lines;
        block.counts = std::move(merged);
        sumBlock(block);
        sizes_.add(b0, block.counts.size() - oldSize);
        chars_.add(b0, asTree(block.chars - oldChars));
        lines_.add(b0, block.lines - oldLines);
        return;
    }
    std::vector<Block> pieces = cut(merged);
    const auto pos = blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b0),
                                   blocks_.begin() + static_cast<std::ptrdiff_t>(b1) + 1);
    blocks_.insert(pos, std::make_move_iterator(pieces.begin()), std::make_move_iterator(pieces.end()));
    if (blocks_.empty()) blocks_.emplace_back();
    rebuildTrees();
}

std::int64_t ParagraphCounts::charsBefore(std::size_t paragraph) const {
    std::size_t offset = 0;
    const std::size_t b = blockOf(paragraph, &offset);
    auto sum = static_cast<std::int64_t>(chars_.prefix(b));
    const auto& counts = blocks_[b].counts;
    for (std::size_t i = 0; i < offset; ++i) sum += counts[i].chars;
    return sum;
}

}  // namespace verlo::counts
