#include "text/block_bytes.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "text/prefix_sums.h"

using verlo::text::BlockBytes;
using verlo::text::ByteRun;
using verlo::text::PrefixSums;

namespace {

std::string contents(const BlockBytes& b) {
    std::string s(b.size(), '\0');
    b.copy(0, b.size(), s.data());
    return s;
}

// No empty block, none over capacity, and the lengths add up.
void expectShape(const BlockBytes& b) {
    std::size_t total = 0;
    for (std::size_t i = 0; i < b.blockCount(); ++i) {
        ASSERT_GE(b.blockSize(i), 1u) << "block " << i;
        ASSERT_LE(b.blockSize(i), b.blockCapacity()) << "block " << i;
        total += b.blockSize(i);
    }
    ASSERT_EQ(total, b.size());
}

std::string randomText(std::mt19937& rng, std::size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = rng() % 8 == 0 ? '\n' : static_cast<char>('a' + rng() % 26);
    return s;
}

void runRandomEdits(std::size_t capacity, unsigned seed) {
    std::mt19937 rng(seed);
    BlockBytes bytes(capacity);
    std::string model;
    for (int step = 0; step < 6000; ++step) {
        const std::size_t pos = rng() % (model.size() + 1);
        switch (rng() % 8) {
        case 0:
        case 1:
        case 2: {  // typing, now and then a paste of several blocks
            const std::size_t n = rng() % 40 == 0 ? rng() % (5 * capacity) : 1 + rng() % 3;
            const std::string piece = randomText(rng, n);
            bytes.insert(pos, piece.data(), piece.size());
            model.insert(pos, piece);
            break;
        }
        case 3:
        case 4: {  // deleting, now and then across many blocks
            const std::size_t n = std::min(rng() % 30 == 0 ? rng() % (4 * capacity) : rng() % 4, model.size() - pos);
            bytes.erase(pos, n);
            model.erase(pos, n);
            break;
        }
        case 5: {  // views: whatever they span, they read the text
            const std::size_t n = rng() % (model.size() - pos + 1);
            ASSERT_EQ(std::string_view(bytes.contiguous(pos, n), n), std::string_view(model).substr(pos, n))
                << "step " << step;
            break;
        }
        case 6:
            if (pos < model.size()) {
                const ByteRun run = bytes.runAt(pos);
                ASSERT_LE(run.begin, pos);
                ASSERT_GT(run.end, pos);
                ASSERT_EQ(std::string_view(reinterpret_cast<const char*>(run.data), run.end - run.begin),
                          std::string_view(model).substr(run.begin, run.end - run.begin));
            }
            break;
        default:
            if (rng() % 50 == 0) {
                model = randomText(rng, rng() % (10 * capacity));
                bytes.assign(model.data(), model.size());
            }
        }
        ASSERT_EQ(bytes.size(), model.size()) << "step " << step;
        for (int k = 0; k < 4 && !model.empty(); ++k) {
            const std::size_t i = rng() % model.size();
            ASSERT_EQ(bytes.at(i), static_cast<std::uint8_t>(model[i])) << "step " << step << " at " << i;
        }
        if (step % 16 == 0) {
            ASSERT_EQ(contents(bytes), model) << "step " << step;
            ASSERT_NO_FATAL_FAILURE(expectShape(bytes)) << "step " << step;
        }
    }
    EXPECT_EQ(contents(bytes), model);
}

}  // namespace

TEST(BlockBytes, RandomEditsMatchAString) {
    for (const std::size_t capacity : {2, 7, 16, 300}) {
        SCOPED_TRACE(testing::Message() << "blocks of " << capacity);
        runRandomEdits(capacity, 5 + static_cast<unsigned>(capacity));
        if (HasFatalFailure()) return;
    }
}

TEST(BlockBytes, ViewsLastUntilTheNextChange) {
    BlockBytes bytes(8);
    const std::string text = "0123456789abcdefghijklmnopqrstuvwxyz";
    bytes.assign(text.data(), text.size());
    bytes.insert(3, "+", 1);  // a gap inside the first block
    const std::string model = "012+3456789abcdefghijklmnopqrstuvwxyz";
    // Across the gap, across joins, inside one run, the whole text, the same range twice.
    const std::vector<std::pair<std::size_t, std::size_t>> ranges = {{1, 5}, {4, 20}, {30, 3}, {0, 37}, {4, 20}};
    std::vector<std::string_view> views;
    for (const auto& [pos, n] : ranges) views.emplace_back(bytes.contiguous(pos, n), n);
    for (std::size_t i = 0; i < ranges.size(); ++i)
        EXPECT_EQ(views[i], model.substr(ranges[i].first, ranges[i].second)) << "view " << i;
    EXPECT_EQ(views[1].data(), views[4].data());  // asked again: the same copy
}

TEST(BlockBytes, OnlyTheFirstViewAfterAChangeMovesAGap) {
    BlockBytes bytes(8);
    const std::string text = "0123456789abcdefghijklmnopqrstuvwxyz";  // blocks of 6
    bytes.assign(text.data(), text.size());
    bytes.insert(21, "+", 1);  // a gap inside the block "ijklmn", after "ijk+"
    bytes.insert(3, "*", 1);   // and one inside "012345", after "012*"
    const std::string model = "012*3456789abcdefghijk+lmnopqrstuvwxyz";
    const std::string_view first(bytes.contiguous(1, 5), 5);  // moves the first gap away
    EXPECT_LE(6u, bytes.runAt(1).end);
    const std::string_view second(bytes.contiguous(21, 4), 4);  // a copy: the gap stays
    EXPECT_GT(25u, bytes.runAt(21).end);
    EXPECT_EQ(first, model.substr(1, 5));
    EXPECT_EQ(second, model.substr(21, 4));
}

TEST(BlockBytes, LoadingCutsBlocksAfterLineBreaks) {
    // Lines of 50 bytes, blocks loaded to 768 bytes: each block ends a line, so a view of
    // a line never needs a copy.
    std::string text;
    for (int i = 0; i < 400; ++i) text += std::string(49, static_cast<char>('a' + i % 26)) + "\n";
    BlockBytes bytes(1024);
    bytes.assign(text.data(), text.size());
    ASSERT_GT(bytes.blockCount(), 20u);
    std::size_t begin = 0;
    for (std::size_t b = 0; b + 1 < bytes.blockCount(); ++b) {
        begin += bytes.blockSize(b);
        EXPECT_EQ(bytes.at(begin - 1), '\n') << "block " << b;
    }
    for (std::size_t line = 0; line < 400; ++line) {
        const ByteRun run = bytes.runAt(line * 50);
        EXPECT_LE(line * 50 + 50, run.end) << "line " << line;
    }
}

TEST(BlockBytes, BlocksSplitWhenFullAndMergeWhenEmptied) {
    BlockBytes bytes(16);
    std::string model;
    // Typing one byte at a time at one place fills blocks and splits them.
    for (int i = 0; i < 200; ++i) {
        const char c = static_cast<char>('a' + i % 26);
        bytes.insert(model.size() / 2, &c, 1);
        model.insert(model.size() / 2, 1, c);
    }
    EXPECT_EQ(contents(bytes), model);
    EXPECT_GE(bytes.blockCount(), 200u / 16);
    ASSERT_NO_FATAL_FAILURE(expectShape(bytes));
    // Deleting byte by byte from the middle leaves few, fuller blocks behind.
    while (model.size() > 20) {
        bytes.erase(model.size() / 2, 1);
        model.erase(model.size() / 2, 1);
    }
    EXPECT_EQ(contents(bytes), model);
    EXPECT_LE(bytes.blockCount(), 3u);
    ASSERT_NO_FATAL_FAILURE(expectShape(bytes));
    // Everything deleted, then typed again.
    bytes.erase(0, bytes.size());
    EXPECT_EQ(bytes.blockCount(), 0u);
    bytes.insert(0, "x", 1);
    EXPECT_EQ(contents(bytes), "x");
}

TEST(PrefixSums, FindsWhereTheRunningTotalPassesAPoint) {
    PrefixSums sums;
    sums.assign({3, 0, 5, 1, 0, 0, 4});  // positions 0-2 | - | 3-7 | 8 | - | - | 9-12
    EXPECT_EQ(sums.prefix(0), 0u);
    EXPECT_EQ(sums.prefix(3), 8u);
    EXPECT_EQ(sums.prefix(7), 13u);
    const std::vector<std::pair<std::size_t, std::size_t>> expected = {
        {0, 0}, {0, 1}, {0, 2}, {2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}, {3, 0}, {6, 0}, {6, 1}, {6, 2}, {6, 3}};
    for (std::size_t x = 0; x < expected.size(); ++x) EXPECT_EQ(sums.find(x), expected[x]) << "x " << x;
    sums.add(1, 2);              // 3 2 5 1 0 0 4
    sums.add(2, ~std::size_t{4});  // 3 2 0 1 0 0 4 (minus 5)
    EXPECT_EQ(sums.prefix(3), 5u);
    EXPECT_EQ(sums.find(4), (std::pair<std::size_t, std::size_t>{1, 1}));
    EXPECT_EQ(sums.find(5), (std::pair<std::size_t, std::size_t>{3, 0}));
}
