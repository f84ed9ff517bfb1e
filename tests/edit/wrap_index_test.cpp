// The per-paragraph line counts with prefix sums, checked against a plain vector.
#include "edit/wrap_index.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <vector>

using verlo::edit::WrapIndex;

namespace {

void expectSame(const WrapIndex& index, const std::vector<std::uint32_t>& model) {
    ASSERT_EQ(index.paragraphCount(), model.size());
    std::size_t line = 0;
    for (std::size_t p = 0; p < model.size(); ++p) {
        ASSERT_EQ(index.count(p), model[p]) << "paragraph " << p;
        ASSERT_EQ(index.firstLine(p), line) << "paragraph " << p;
        for (std::uint32_t k = 0; k < model[p]; ++k) {
            WrapIndex::Place place = index.find(line + k);
            ASSERT_EQ(place.paragraph, p);
            ASSERT_EQ(place.lineInParagraph, k);
        }
        line += model[p];
    }
    EXPECT_EQ(index.lineCount(), line);
    EXPECT_EQ(index.firstLine(model.size()), line);
}

}  // namespace

TEST(WrapIndex, AssignAndQueryAcrossBlocks) {
    std::vector<std::uint32_t> model;
    for (std::uint32_t i = 0; i < 3000; ++i) model.push_back(1 + i % 7);
    WrapIndex index;
    index.assign(model);
    expectSame(index, model);
}

TEST(WrapIndex, EmptyAndSingle) {
    WrapIndex index;
    index.assign({});
    EXPECT_EQ(index.paragraphCount(), 0u);
    EXPECT_EQ(index.lineCount(), 0u);
    std::uint32_t one = 3;
    index.splice(0, 0, &one, 1);
    expectSame(index, {3});
}

// Random edits of every kind, many blocks splitting and emptying, checked after each step.
TEST(WrapIndex, RandomSplicesMatchModel) {
    std::mt19937 rng(7);
    std::vector<std::uint32_t> model(1500, 1);
    for (auto& c : model) c = 1 + rng() % 4;
    WrapIndex index;
    index.assign(model);
    for (int step = 0; step < 600; ++step) {
        std::size_t first = rng() % (model.size() + 1);
        std::size_t removed = first == model.size() ? 0 : rng() % std::min<std::size_t>(model.size() - first, step % 50 == 0 ? 1500 : 4);
        std::size_t added = rng() % (step % 40 == 0 ? 2500 : 4);
        if (model.size() - removed + added == 0) added = 1;
        std::vector<std::uint32_t> counts(added);
        for (auto& c : counts) c = 1 + rng() % 5;
        index.splice(first, removed, counts.data(), counts.size());
        model.erase(model.begin() + static_cast<long>(first), model.begin() + static_cast<long>(first + removed));
        model.insert(model.begin() + static_cast<long>(first), counts.begin(), counts.end());
        if (!model.empty() && step % 3 == 0) {
            std::size_t p = rng() % model.size();
            model[p] = 1 + rng() % 9;
            index.setCount(p, model[p]);
        }
        if (step % 25 == 0 || model.size() < 20) {
            ASSERT_NO_FATAL_FAILURE(expectSame(index, model)) << "step " << step;
        } else {
            ASSERT_EQ(index.lineCount(), std::accumulate(model.begin(), model.end(), std::size_t{0}));
        }
    }
    expectSame(index, model);
}
