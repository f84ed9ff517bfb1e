// The document's bytes as a row of blocks, each a small gap buffer of at most
// blockCapacity bytes, with the block lengths in a prefix-sum tree. A change moves bytes
// inside one block only (a run of changes at one place costs O(1) each, as in one big gap
// buffer), finding the block costs O(log blocks), and a jump to a far place no longer
// drags the text in between along. Reads walk the blocks in order; a view that spans a
// block join is copied once and kept until the next change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "text/gap_vector.h"
#include "text/prefix_sums.h"

namespace verlo::text {

// Bytes that lie together in memory: the text positions [begin, end), the first at data.
struct ByteRun {
    const std::uint8_t* data;
    std::size_t begin;
    std::size_t end;
};

class BlockBytes {
public:
    // Blocks of at most blockCapacity bytes (at least 2); loading fills them to three quarters
    // (their memory holds what they hold and an eighth more, until an edit needs more).
    explicit BlockBytes(std::size_t blockCapacity);

    std::size_t size() const { return size_; }

    std::uint8_t at(std::size_t i) const {
        const Place p = locate(i);
        return static_cast<std::uint8_t>(blocks_[p.block].at(p.offset));
    }
    // The run of bytes in memory that holds pos (pos < size()).
    ByteRun runAt(std::size_t pos) const;
    // Copies [pos, pos + n) to out.
    void copy(std::size_t pos, std::size_t n, char* out) const;
    // [pos, pos + n) in one piece: in place when it lies in one block (the first view
    // after a change may move that block's gap out of the way), else a copy. Either stays
    // valid until the next change: later views never move bytes.
    const char* contiguous(std::size_t pos, std::size_t n);

    void assign(const char* data, std::size_t n);
    // Adds data after the end in blocks of its own, filled as assign fills them: a text
    // loaded a piece at a time.
    void append(const char* data, std::size_t n);
    void erase(std::size_t pos, std::size_t n);
    void insert(std::size_t pos, const char* data, std::size_t n);

    // The shape, for tests: the number of blocks and the length of each.
    std::size_t blockCount() const { return blocks_.size(); }
    std::size_t blockSize(std::size_t b) const { return blocks_[b].size(); }
    std::size_t blockCapacity() const { return capacity_; }

private:
    struct Place {
        std::size_t block;
        std::size_t offset;
    };

    // The block that holds pos (pos < size()) and the offset in it; the block found last
    // answers without a search.
    Place locate(std::size_t pos) const {
        if (pos - hintBegin_ < hintEnd_ - hintBegin_) return {hintBlock_, pos - hintBegin_};
        return search(pos);
    }
    Place search(std::size_t pos) const;
    void remember(std::size_t block, std::size_t begin) const;
    void forget() const { hintBegin_ = hintEnd_ = 0; }

    // New blocks holding data, cut after a line break where one is near the cut.
    std::vector<GapVector<char>> chunk(const char* data, std::size_t n) const;
    // A place near target (0 < target < size of block) to split the block: after a line
    // break a little before target if the block has one there, else target.
    std::size_t cutPoint(const GapVector<char>& block, std::size_t target) const;
    // Block b becomes its bytes before `at`; a new block after it holds the rest.
    void split(std::size_t b, std::size_t at);
    // Merges blocks b and b + 1 when both fit in a loaded block; true when it did.
    bool mergePair(std::size_t b);
    void rebuildSums();
    void endViews();  // at every change

    std::size_t capacity_;  // of one block
    std::size_t fill_;      // what loading puts in a block
    std::vector<GapVector<char>> blocks_;  // never an empty block
    PrefixSums sums_;                      // the block lengths
    std::size_t size_ = 0;
    std::vector<std::size_t> scratchSizes_;
    mutable std::size_t hintBlock_ = 0, hintBegin_ = 0, hintEnd_ = 0;
    bool viewsOut_ = false;  // a view was handed out since the last change
    std::map<std::pair<std::size_t, std::size_t>, std::unique_ptr<char[]>> viewCopies_;
};

}  // namespace verlo::text
