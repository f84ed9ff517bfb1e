#include "text/gap_vector.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using verlo::text::GapVector;

namespace {

std::string contents(const GapVector<char>& v) {
    std::string s(v.size(), '\0');
    v.copy(0, v.size(), s.data());
    return s;
}

}  // namespace

TEST(GapVector, RandomEditsMatchAString) {
    std::mt19937 rng(3);
    GapVector<char> v;
    std::string model;
    for (int step = 0; step < 20000; ++step) {
        const std::size_t pos = rng() % (model.size() + 1);
        switch (rng() % 5) {
        case 0:
        case 1: {
            const std::string piece(rng() % (rng() % 50 == 0 ? 3000 : 5), static_cast<char>('a' + rng() % 26));
            v.insert(pos, piece.data(), piece.size());
            model.insert(pos, piece);
            break;
        }
        case 2: {
            const std::size_t n = std::min<std::size_t>(rng() % 8, model.size() - pos);
            v.erase(pos, n);
            model.erase(pos, n);
            break;
        }
        case 3: {
            const std::size_t n = rng() % (model.size() - pos + 1);
            ASSERT_EQ(std::string(v.contiguous(pos, n), n), model.substr(pos, n));
            break;
        }
        default:
            if (rng() % 100 == 0) {
                model.assign(rng() % 100, 'z');
                v.assign(model.data(), model.size());
            }
        }
        ASSERT_EQ(v.size(), model.size());
        if (!model.empty()) {
            const std::size_t i = rng() % model.size();
            ASSERT_EQ(v.at(i), model[i]) << "step " << step;
        }
        const auto parts = v.parts();
        ASSERT_EQ(parts.frontSize + parts.backSize, model.size());
        ASSERT_EQ(std::string(parts.front, parts.frontSize) + std::string(parts.back, parts.backSize), model);
    }
    EXPECT_EQ(contents(v), model);
}

TEST(GapVector, EraseReachesTheGapFromTheNearerSide) {
    GapVector<char> v;
    v.assign("abcdef", 6);
    v.insert(3, "X", 1);  // gap after "abcX"
    ASSERT_EQ(v.gapPosition(), 4u);
    v.erase(3, 1);        // backspace: the gap swallows the byte before it
    EXPECT_EQ(v.gapPosition(), 3u);
    v.erase(3, 1);        // delete: the byte after it
    EXPECT_EQ(v.gapPosition(), 3u);
    EXPECT_EQ(contents(v), "abcef");
}
