// The manuscript-page rules as worked examples.
#include <gtest/gtest.h>

#include "counts/manuscript.h"
#include "support/test_text.h"

using namespace verlo::counts;
using verlo::test::sjis;

namespace {

std::u16string times(std::u16string_view s, int n) {
    std::u16string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

}  // namespace

TEST(Manuscript, LinesOfOneParagraph) {
    const std::u16string full = times(u"あ", 20);
    const struct {
        std::u16string text;
        std::size_t lines;
        const char* why;
    } cases[] = {
        {u"", 1, "an empty paragraph takes a line"},
        {u"あ", 1, "one character"},
        {full, 1, "exactly twenty"},
        {full + u"あ", 2, "the twenty-first character starts a line"},
        {times(u"あ", 40), 2, "two full lines"},
        {full + u"。", 1, "a full stop that would begin a line hangs"},
        {full + u"、", 1, "so does a comma"},
        {full + u"。」", 1, "and the closing bracket after it"},
        {full + u"。」』", 1, "and every closer after it"},
        {times(u"あ", 19) + u"。」", 1, "a closer after a full stop in the last cell hangs"},
        {full + u"」", 2, "a closer alone does not hang"},
        {full + u"。あ", 2, "after the hanging stop the next character starts a line"},
        {times(u"あ", 19) + u"。" + u"あ", 2, "a stop that fits takes its cell"},
        {full + u"、" + times(u"あ", 20), 2, "the line after a hanging comma starts with what follows"},
        {u"12", 1, "two half-width digits share a cell"},
        {times(u"あ", 19) + u"12", 1, "sharing the last cell"},
        {times(u"あ", 19) + u"123", 2, "the third digit takes a cell of its own"},
        {times(u"12", 20), 1, "forty digits in twenty cells"},
        {times(u"12", 20) + u"3", 2, "forty-one digits"},
        {times(u"１２", 10) + u"３", 2, "full-width digits take a cell each"},
        {times(u"ab", 10) + u"c", 2, "half-width letters take a cell each"},
        {times(u"あ", 20) + u"1", 2, "a digit after a full line"},
    };
    for (const auto& c : cases) EXPECT_EQ(manuscriptLines(sjis(c.text)), c.lines) << c.why;
}

TEST(Manuscript, PagesToOneDecimalAndTheLastPage) {
    const struct {
        std::size_t lines, tenths, last;
    } cases[] = {
        {0, 0, 0}, {1, 1, 1}, {2, 1, 2}, {3, 2, 3}, {20, 10, 20}, {21, 11, 1}, {246, 123, 6}, {400, 200, 20},
    };
    for (const auto& c : cases) {
        const ManuscriptPages p = manuscriptPages(c.lines);
        EXPECT_EQ(p.tenths, c.tenths) << c.lines;
        EXPECT_EQ(p.linesOnLastPage, c.last) << c.lines;
    }
}
