#include "text/line_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

using verlo::text::LineIndex;

namespace {

// Every block holds between one and blockLines starts.
void expectShape(const LineIndex& index, std::size_t blockLines) {
    std::size_t lines = 0;
    for (std::size_t b = 0; b < index.blockCount(); ++b) {
        ASSERT_GE(index.blockSize(b), 1u) << "block " << b;
        ASSERT_LE(index.blockSize(b), blockLines) << "block " << b;
        lines += index.blockSize(b);
    }
    ASSERT_EQ(lines, index.lineCount());
}

// Many lines, changes jumping back and forth, so that the pending step is applied
// forwards and taken back, within a block and across many; blocks split, merge and go.
// With bigChanges, now and then a change removes up to half the lines or adds thousands.
void runRandomChanges(std::size_t blockLines, bool bigChanges) {
    std::mt19937 rng(11);
    std::vector<std::size_t> model;
    for (std::size_t i = 0; i < 2000; ++i) model.push_back(i * 10);
    LineIndex index(blockLines);
    index.reset(model);
    for (int step = 0; step < 10000; ++step) {
        // A change at pos removing len bytes and adding ins, with some line starts in it.
        const std::size_t end = model.back() + 10;
        std::size_t pos = rng() % 3 == 0 ? rng() % end : (rng() % 40) * (end / 40);
        if (pos == 0) pos = 1;
        const bool big = bigChanges && rng() % 64 == 0;
        const std::size_t len = big ? rng() % (end / 2) : rng() % 4 == 0 ? rng() % 30 : 0;
        const std::size_t ins = big ? rng() % 8000 : rng() % 25;
        const std::size_t first = std::lower_bound(model.begin(), model.end(), pos) - model.begin();
        const std::size_t past = std::upper_bound(model.begin(), model.end(), pos + len) - model.begin();
        std::vector<std::size_t> added;
        for (std::size_t s = pos + rng() % 7; s <= pos + ins && (big || rng() % 3 != 0); s += 1 + rng() % 5) added.push_back(s);
        const std::size_t delta = ins - len;
        index.replaceStarts(first, past - first, added.data(), added.size(), delta);
        std::vector<std::size_t> next(model.begin(), model.begin() + first);
        next.insert(next.end(), added.begin(), added.end());
        for (std::size_t i = past; i < model.size(); ++i) next.push_back(model[i] + delta);
        model = next;

        ASSERT_EQ(index.lineCount(), model.size()) << "step " << step;
        for (int k = 0; k < 8; ++k) {
            const std::size_t line = rng() % model.size();
            ASSERT_EQ(index.start(line), model[line]) << "step " << step << " line " << line;
            const std::size_t p = rng() % (model.back() + 20);
            ASSERT_EQ(index.lineOf(p), std::upper_bound(model.begin(), model.end(), p) - model.begin() - 1);
        }
        if (step % 64 == 0) {
            ASSERT_NO_FATAL_FAILURE(expectShape(index, blockLines)) << "step " << step;
            // A run of starts read at once, across blocks and the pending step.
            const std::size_t first = rng() % model.size();
            std::vector<std::size_t> run(rng() % (model.size() - first + 1));
            index.copyStarts(first, run.size(), run.data());
            ASSERT_TRUE(std::equal(run.begin(), run.end(), model.begin() + static_cast<std::ptrdiff_t>(first)))
                << "step " << step << " from line " << first;
        }
    }
    for (std::size_t i = 0; i < model.size(); ++i) ASSERT_EQ(index.start(i), model[i]);
    ASSERT_NO_FATAL_FAILURE(expectShape(index, blockLines));
}

}  // namespace

TEST(LineIndex, RandomChangesMatchAPlainVector) {
    for (const std::size_t blockLines : {512, 5, 2}) {
        SCOPED_TRACE(testing::Message() << "blocks of " << blockLines);
        runRandomChanges(blockLines, false);
        if (HasFatalFailure()) return;
        runRandomChanges(blockLines, true);
        if (HasFatalFailure()) return;
    }
}
