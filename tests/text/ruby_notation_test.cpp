#include "text/ruby_notation.h"

#include <gtest/gtest.h>

#include "support/test_text.h"

using namespace verlo::text;
using verlo::test::sjis;

namespace {

// The paragraph with every group written out: ruby as [base/ruby], emphasis as {text}, the
// rest as it stands. Also checks that the groups are in order, do not overlap and that
// each one's parts lie inside it.
std::u16string readOut(std::u16string_view text) {
    const std::string bytes = sjis(text);
    std::vector<ruby::Group> groups;
    ruby::parse(bytes, groups);
    const auto piece = [&](std::uint32_t a, std::uint32_t b) { return codec::decodeUtf16(std::string_view(bytes).substr(a, b - a)); };
    std::u16string out;
    std::uint32_t at = 0;
    for (const ruby::Group& g : groups) {
        EXPECT_LE(at, g.begin);
        EXPECT_TRUE(g.begin <= g.baseBegin && g.baseBegin < g.baseEnd && g.baseEnd <= g.rubyBegin &&
                    g.rubyBegin <= g.rubyEnd && g.rubyEnd < g.end && g.end <= bytes.size());
        out += piece(at, g.begin);
        if (g.kind == ruby::Kind::Ruby)
            out += u"[" + piece(g.baseBegin, g.baseEnd) + u"/" + piece(g.rubyBegin, g.rubyEnd) + u"]";
        else
            out += u"{" + piece(g.baseBegin, g.baseEnd) + u"}";
        at = g.end;
    }
    return out + piece(at, static_cast<std::uint32_t>(bytes.size()));
}

TEST(RubyNotation, WorkedExamples) {
    const struct {
        std::u16string text, expected;
    } cases[] = {
        // The base is the run of one script before 《.
        {u"漢字《かんじ》", u"[漢字/かんじ]"},
        {u"私は東京《とうきょう》へ", u"私は[東京/とうきょう]へ"},
        {u"人々《ひとびと》と〆切《しめきり》と一ヶ月《いっかげつ》", u"[人々/ひとびと]と[〆切/しめきり]と[一ヶ月/いっかげつ]"},
        {u"かなカタカナ《katakana》", u"かな[カタカナ/katakana]"},
        {u"スーパー《すうぱあ》", u"[スーパー/すうぱあ]"},
        {u"漢字あいう《ひらがな》", u"漢字[あいう/ひらがな]"},
        {u"日本Ruby《ルビ》とＲｕｂｙ《るび》", u"日本[Ruby/ルビ]と[Ｒｕｂｙ/るび]"},
        {u"髙﨑《たかさき》", u"[髙﨑/たかさき]"},
        // The bar marks where the base starts; the nearest bar counts.
        {u"これは｜青い空《あおいそら》だ", u"これは[青い空/あおいそら]だ"},
        {u"｜a｜ＢＣ《びーしー》", u"｜a[ＢＣ/びーしー]"},
        {u"｜Ｘ《えっくす》と｜Ｙ《わい》", u"[Ｘ/えっくす]と[Ｙ/わい]"},
        // Emphasis, also straight after a base and next to ruby.
        {u"《《強調》》する", u"{強調}する"},
        {u"漢字《《強調》》", u"漢字{強調}"},
        {u"《《傍点》》と漢字《かんじ》", u"{傍点}と[漢字/かんじ]"},
        // An unclosed 《 and a group that would cross a line break are shown as written.
        {u"漢字《かんじ", u"漢字《かんじ"},
        {u"《《強調", u"《《強調"},
        {u"漢字《かん》じ》", u"[漢字/かん]じ》"},
        // Nothing before 《 that can be a base, and empty ruby.
        {u"《かんじ》", u"《かんじ》"},
        {u"「《かぎ》", u"「《かぎ》"},
        {u"漢字、《かんじ》", u"漢字、《かんじ》"},
        {u"漢字《》", u"漢字《》"},
        {u"《《》》", u"《《》》"},
        // A bar with no 《 after it, an empty bar base, a bar before a bracket.
        {u"｜縦棒だけ", u"｜縦棒だけ"},
        {u"｜《かな》", u"｜《かな》"},
        {u"｜あ》漢字《かんじ》", u"｜あ》[漢字/かんじ]"},
        {u"｜あ《い漢字《かんじ》", u"｜あ《い[漢字/かんじ]"},
        // 《 inside ruby: the outer one is shown, the inner one may form its own group.
        {u"漢字《か《ん》じ》", u"漢字《[か/ん]じ》"},
        {u"漢字《かな字《じ》", u"漢字《かな[字/じ]"},
        {u"《《強《調》》", u"《《[強/調]》"},
        // Very long ruby is still one group.
        {u"字《" + std::u16string(200, u'あ') + u"》", u"[字/" + std::u16string(200, u'あ') + u"]"},
        // A literal 《 that forms no group needs nothing: 1《2》 has no base.
        {u"1《2》", u"1《2》"},
        {u"", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(readOut(c.text), c.expected) << std::string(sjis(c.text));
}

TEST(RubyNotation, ByteOffsetsOfAGroup) {
    const std::string bytes = sjis(u"a｜字《じ》b");
    std::vector<ruby::Group> groups;
    ruby::parse(bytes, groups);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0], (ruby::Group{ruby::Kind::Ruby, 1, 3, 5, 7, 9, 11}));
}

TEST(RubyNotation, TrailBytesThatLookLikeMarksAreNotMarks) {
    // A two-byte character ending in 0x81 followed by 's' (0x73) holds the bytes of 《
    // without holding the character.
    std::string bytes = sjis(u"漢字") + "\x83\x81" "s" + sjis(u"かな》");
    std::vector<ruby::Group> groups;
    ruby::parse(bytes, groups);
    EXPECT_TRUE(groups.empty());
    // Nor one ending in 0x81 followed by 'b' (0x62) a ｜: the base is the script run.
    const std::string bar = "\x83\x81" "b" + sjis(u"漢字《かんじ》");
    ruby::parse(bar, groups);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].begin, 3u);
}

}  // namespace
