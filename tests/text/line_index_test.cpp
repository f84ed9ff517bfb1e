#include "text/line_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

using verlo::text::LineIndex;

// Many lines, changes jumping back and forth, so that the pending step is applied
// forwards, taken back, and thrown away whole.
TEST(LineIndex, RandomChangesMatchAPlainVector) {
    std::mt19937 rng(11);
    std::vector<std::size_t> model;
    for (std::size_t i = 0; i < 2000; ++i) model.push_back(i * 10);
    LineIndex index;
    index.reset(model);
    for (int step = 0; step < 10000; ++step) {
        // A change at pos removing len bytes and adding ins, with some line starts in it.
        const std::size_t end = model.back() + 10;
        std::size_t pos = rng() % 3 == 0 ? rng() % end : (rng() % 40) * (end / 40);
        if (pos == 0) pos = 1;
        const std::size_t len = rng() % 4 == 0 ? rng() % 30 : 0;
        const std::size_t ins = rng() % 25;
        const std::size_t first = std::lower_bound(model.begin(), model.end(), pos) - model.begin();
        const std::size_t past = std::upper_bound(model.begin(), model.end(), pos + len) - model.begin();
        std::vector<std::size_t> added;
        for (std::size_t s = pos + rng() % 7; s <= pos + ins && rng() % 3 != 0; s += 1 + rng() % 5) added.push_back(s);
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
    }
    for (std::size_t i = 0; i < model.size(); ++i) ASSERT_EQ(index.start(i), model[i]);
}
