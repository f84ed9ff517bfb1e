#include "text/block_bytes.h"

#include <algorithm>
#include <cassert>
#include <iterator>
#include <string_view>

namespace verlo::text {

BlockBytes::BlockBytes(std::size_t blockCapacity)
    : capacity_(std::max<std::size_t>(blockCapacity, 2)), fill_(std::max<std::size_t>(capacity_ * 3 / 4, 1)) {}

BlockBytes::Place BlockBytes::search(std::size_t pos) const {
    assert(pos < size_);
    const auto [block, offset] = sums_.find(pos);
    remember(block, pos - offset);
    return {block, offset};
}

void BlockBytes::remember(std::size_t block, std::size_t begin) const {
    hintBlock_ = block;
    hintBegin_ = begin;
    hintEnd_ = begin + blocks_[block].size();
}

ByteRun BlockBytes::runAt(std::size_t pos) const {
    const Place p = locate(pos);
    const auto parts = blocks_[p.block].parts();
    const std::size_t begin = pos - p.offset;
    if (p.offset < parts.frontSize)
        return {reinterpret_cast<const std::uint8_t*>(parts.front), begin, begin + parts.frontSize};
    return {reinterpret_cast<const std::uint8_t*>(parts.back), begin + parts.frontSize,
            begin + parts.frontSize + parts.backSize};
}

void BlockBytes::copy(std::size_t pos, std::size_t n, char* out) const {
    assert(pos + n <= size_);
    if (n == 0) return;
    Place p = locate(pos);
    while (n > 0) {
        const GapVector<char>& block = blocks_[p.block];
        const std::size_t k = std::min(n, block.size() - p.offset);
        block.copy(p.offset, k, out);
        out += k;
        n -= k;
        p = {p.block + 1, 0};
    }
}

const char* BlockBytes::contiguous(std::size_t pos, std::size_t n) {
    assert(pos + n <= size_);
    if (n == 0) return "";
    const ByteRun run = runAt(pos);
    if (pos + n <= run.end) {
        viewsOut_ = true;
        return reinterpret_cast<const char*>(run.data) + (pos - run.begin);
    }
    // The gap of one block inside the range: the first view after a change may move it
    // away (as typing put it there); later ones must not move bytes that an earlier view
    // still shows.
    const Place p = locate(pos);
    if (!viewsOut_ && p.offset + n <= blocks_[p.block].size()) {
        viewsOut_ = true;
        return blocks_[p.block].contiguous(p.offset, n);
    }
    viewsOut_ = true;
    std::unique_ptr<char[]>& held = viewCopies_[{pos, n}];
    if (!held) {
        held = std::make_unique_for_overwrite<char[]>(n);
        copy(pos, n, held.get());
    }
    return held.get();
}

void BlockBytes::endViews() {
    viewsOut_ = false;
    if (!viewCopies_.empty()) viewCopies_.clear();
}

void BlockBytes::rebuildSums() {
    scratchSizes_.resize(blocks_.size());
    for (std::size_t b = 0; b < blocks_.size(); ++b) scratchSizes_[b] = blocks_[b].size();
    sums_.assign(scratchSizes_);
    forget();
}

std::vector<GapVector<char>> BlockBytes::chunk(const char* data, std::size_t n) const {
    std::vector<GapVector<char>> out;
    out.reserve(n / fill_ + 1);
    const std::size_t window = fill_ / 4;
    for (std::size_t pos = 0; pos < n;) {
        std::size_t cut = std::min(n, pos + fill_);
        if (cut < n && window > 0) {
            const std::size_t lf = std::string_view(data + cut - window, window).rfind('\n');
            if (lf != std::string_view::npos) cut = cut - window + lf + 1;
        }
        // Room for an eighth more: a block grows to its capacity only when edited.
        out.emplace_back().assign(data + pos, cut - pos);
        pos = cut;
    }
    return out;
}

void BlockBytes::assign(const char* data, std::size_t n) {
    endViews();
    blocks_ = chunk(data, n);
    size_ = n;
    rebuildSums();
}

void BlockBytes::append(const char* data, std::size_t n) {
    if (n == 0) return;
    endViews();
    std::vector<GapVector<char>> more = chunk(data, n);
    blocks_.reserve(blocks_.size() + more.size());
    for (GapVector<char>& block : more) blocks_.push_back(std::move(block));
    size_ += n;
    rebuildSums();
}

std::size_t BlockBytes::cutPoint(const GapVector<char>& block, std::size_t target) const {
    const std::size_t window = std::min(capacity_ / 8, target - 1);
    if (window == 0) return target;
    const auto parts = block.parts();
    // Only within one part of the block; a cut next to the gap is as good as any.
    const std::size_t from = target - window;
    std::string_view part;
    std::size_t partBegin = 0;
    if (target <= parts.frontSize) {
        part = {parts.front, parts.frontSize};
    } else if (from >= parts.frontSize) {
        part = {parts.back, parts.backSize};
        partBegin = parts.frontSize;
    } else {
        return target;
    }
    const std::size_t lf = part.substr(from - partBegin, window).rfind('\n');
    return lf == std::string_view::npos ? target : from + lf + 1;
}

void BlockBytes::split(std::size_t b, std::size_t at) {
    GapVector<char>& block = blocks_[b];
    assert(0 < at && at < block.size());
    GapVector<char> rest;
    rest.assign(block, at, block.size() - at, capacity_);
    block.erase(at, block.size() - at);
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(b) + 1, std::move(rest));
}

bool BlockBytes::mergePair(std::size_t b) {
    if (b + 1 >= blocks_.size()) return false;
    GapVector<char>& left = blocks_[b];
    GapVector<char>& right = blocks_[b + 1];
    if (left.size() + right.size() > fill_) return false;
    const auto parts = right.parts();
    left.insert(left.size(), parts.front, parts.frontSize);
    left.insert(left.size(), parts.back, parts.backSize);
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b) + 1);
    return true;
}

void BlockBytes::erase(std::size_t pos, std::size_t n) {
    assert(pos + n <= size_);
    if (n == 0) return;
    endViews();
    const Place first = locate(pos);
    const std::size_t firstBegin = pos - first.offset;
    // Cut the range from the blocks it touches; blocks it covers whole go.
    std::size_t b = first.block, offset = first.offset, left = n;
    std::size_t goneBegin = blocks_.size(), goneEnd = 0;  // the blocks covered whole
    while (left > 0) {
        GapVector<char>& block = blocks_[b];
        const std::size_t k = std::min(left, block.size() - offset);
        if (k == block.size()) {
            goneBegin = std::min(goneBegin, b);
            goneEnd = b + 1;
        } else {
            block.erase(offset, k);
            sums_.add(b, ~k + 1);
        }
        left -= k;
        ++b;
        offset = 0;
    }
    size_ -= n;
    bool reshaped = false;
    if (goneBegin < goneEnd) {
        blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(goneBegin),
                      blocks_.begin() + static_cast<std::ptrdiff_t>(goneEnd));
        reshaped = true;
    }
    // The blocks on either side of the cut may now be small enough to share one block.
    const std::size_t at = first.block;  // the first block touched, or what came after it
    if (at < blocks_.size() && mergePair(at)) reshaped = true;
    if (at > 0 && at - 1 < blocks_.size() && mergePair(at - 1)) reshaped = true;
    if (reshaped) {
        rebuildSums();
    } else {
        remember(first.block, firstBegin);
    }
}

void BlockBytes::insert(std::size_t pos, const char* data, std::size_t n) {
    assert(pos <= size_);
    if (n == 0) return;
    endViews();
    if (blocks_.empty()) {
        assign(data, n);
        return;
    }
    // The block holding pos takes the bytes; at a block join, the one before when the one
    // after is full.
    Place p = pos < size_ ? locate(pos) : Place{blocks_.size() - 1, blocks_.back().size()};
    if (p.offset == 0 && p.block > 0 && blocks_[p.block].size() + n > capacity_ &&
        blocks_[p.block - 1].size() + n <= capacity_)
        p = {p.block - 1, blocks_[p.block - 1].size()};
    size_ += n;

    if (blocks_[p.block].size() + n <= capacity_) {
        blocks_[p.block].insert(p.offset, data, n);
        sums_.add(p.block, n);
        remember(p.block, pos - p.offset);
        return;
    }
    if (n <= capacity_ / 4) {
        // A full block: split it in two near its middle, then the half that holds pos
        // has room (each half holds at most 5/8 of a block).
        GapVector<char>& block = blocks_[p.block];
        const std::size_t mid = cutPoint(block, block.size() / 2);
        split(p.block, mid);
        if (p.offset > mid) p = {p.block + 1, p.offset - mid};
        blocks_[p.block].insert(p.offset, data, n);
        rebuildSums();
        return;
    }
    // A large insertion: cut the block at pos and put blocks of the new bytes in between.
    std::size_t at = p.block + 1;
    if (p.offset == 0) at = p.block;
    else if (p.offset < blocks_[p.block].size()) split(p.block, p.offset);
    std::vector<GapVector<char>> added = chunk(data, n);
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(at), std::make_move_iterator(added.begin()),
                   std::make_move_iterator(added.end()));
    // The seams: the last new block with the block after it, then the block before with the first.
    mergePair(at + added.size() - 1);
    if (at > 0) mergePair(at - 1);
    rebuildSums();
}

}  // namespace verlo::text
