// The table of characters the code page cannot hold: clusters take one code, codes are never
// reused, the user-defined area's own characters keep their codes, refusals when not accepting.
#include <gtest/gtest.h>

#include "support/test_text.h"
#include "text/stand_ins.h"

using namespace verlo::text;
using verlo::test::sjis;

namespace {

StandIns accepting() {
    StandIns t;
    t.setAccepting(true);
    return t;
}

std::string code(unsigned c) { return {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)}; }

}  // namespace

TEST(StandIns, EachClusterTakesOneCodeAndDecodesBackExactly) {
    struct Case {
        const char* what;
        std::u32string text;
        std::size_t codes;  // stand-ins the text needs
    };
    const Case cases[] = {
        {"heart", U"♡", 1},
        {"2010 kanji", U"剝頰𠮟塡", 4},
        {"emoji", U"😀", 1},
        {"variation selector on a kanji the code page holds", U"葛\U000E0100", 1},
        {"emoji with presentation selector", U"❤\uFE0F", 1},
        {"zero-width-joiner family", U"👨\u200D👩\u200D👧", 1},
        {"flag: two regional indicators", U"🇯🇵", 1},
        {"skin tone modifier", U"👍🏽", 1},
        {"combining mark on kana", U"か\u3099", 1},
        {"wave dash the code page holds only as another character", U"〜", 1},
        {"half-width voiced mark stays plain", U"ｶﾞ", 0},
        {"plain text", U"吾輩は猫である。", 0},
    };
    for (const Case& c : cases) {
        StandIns t = accepting();
        const StandIns::Encoded e = t.encode(c.text);
        ASSERT_TRUE(e.ok()) << c.what;
        EXPECT_EQ(t.size(), c.codes) << c.what;
        EXPECT_EQ(t.decode(e.bytes), c.text) << c.what;
        if (c.codes == 1 && c.text.size() > 1) {
            EXPECT_EQ(e.bytes.size(), 2u) << c.what;
        }
    }
}

TEST(StandIns, CodesAreNeverReusedAndTheSameCharacterKeepsItsCode) {
    StandIns t = accepting();
    const std::string heart = t.encode(U"♡").bytes;
    const std::string smile = t.encode(U"😀").bytes;
    EXPECT_NE(heart, smile);
    EXPECT_EQ(t.encode(U"♡♡").bytes, heart + heart);
    EXPECT_EQ(t.size(), 2u);
    EXPECT_EQ(t.decodeUtf16(smile), u"😀");
}

TEST(StandIns, UserAreaCharactersKeepTheirOwnCodeAndOthersAvoidIt) {
    StandIns t = accepting();
    t.adopt(0xF040);  // the file holds F040: it stands for U+E000
    const std::string heart = t.encode(U"♡").bytes;
    EXPECT_NE(heart, code(0xF040));
    EXPECT_EQ(t.encode(U"\uE000").bytes, code(0xF040));
    EXPECT_EQ(t.encode(U"\uE005").bytes, code(0xF045));
    // A decrypted text holding F040 keeps it; one holding the heart's code gets another code.
    const StandIns::Encoded in = t.fromCodePage(code(0xF040) + heart);
    ASSERT_TRUE(in.ok());
    EXPECT_EQ(in.bytes.substr(0, 2), code(0xF040));
    EXPECT_NE(in.bytes.substr(2), heart);
    EXPECT_EQ(t.decode(in.bytes), std::u32string(U"\uE000") + static_cast<char32_t>(0xE000 + (heart[1] - 0x40)));
}

TEST(StandIns, RefusesWhenNotAcceptingAndWhenFull) {
    StandIns closed;
    StandIns::Encoded e = closed.encode(U"a♡b😀♡〜");
    EXPECT_EQ(e.refused, U"♡😀");
    EXPECT_TRUE(closed.encode(U"〜").ok()) << "the code page's own wave dash form is accepted as before";

    StandIns t = accepting();
    std::u32string many;
    for (char32_t c = 0x20000; c < 0x20000 + kUserAreaCodes; ++c) many.push_back(c);
    ASSERT_TRUE(t.encode(many).ok());
    EXPECT_TRUE(t.full());
    e = t.encode(U"あ♡");
    EXPECT_TRUE(e.full);
    EXPECT_EQ(e.refused, U"♡");
    EXPECT_EQ(t.encode(std::u32string(U"♡"), /*markWhenFull=*/true).bytes, sjis(u"〓"));
}

TEST(StandIns, ToCodePageNamesWhatStandsInTheWay) {
    StandIns t = accepting();
    const std::string bytes = t.encode(U"〜あ♡\uE005").bytes;
    StandIns::Encoded e = t.toCodePage(bytes);
    EXPECT_EQ(e.refused, U"♡");
    e = t.toCodePage(t.encode(U"〜あ\uE005").bytes);
    ASSERT_TRUE(e.ok());
    EXPECT_EQ(e.bytes, sjis(u"～あ") + code(0xF045));
}

TEST(StandIns, TheTableReadsBackFromItsTextAndNothingMalformedIsTaken) {
    StandIns t;
    t.setAccepting(true);
    t.adopt(0xF9FC);
    ASSERT_TRUE(t.encode(std::u32string(U"♡😀葛\U000E0100")).ok());
    ASSERT_NE(t.codeForRaw(std::string_view("\xFF\x00", 2)), 0u);
    const std::string text = t.toText();
    std::optional<StandIns> back = StandIns::fromText(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->toText(), text);
    for (const char* code : {"F040", "F041", "F042", "F043", "F9FC"})
        EXPECT_EQ(back->find(std::stoul(code, nullptr, 16))->chars,
                  t.find(std::stoul(code, nullptr, 16))->chars) << code;
    EXPECT_EQ(back->find(0xF043)->raw, std::string("\xFF\x00", 2));
    EXPECT_EQ(back->codeFor(U"♡"), t.codeFor(U"♡"));  // found again, not given a new code
    EXPECT_TRUE(StandIns::fromText("")->empty());
    for (const char* bad : {"F040", "F040=", "8140=41", "F040=41 F040=42", "F040=41 F041=41", "F040=D800",
                            "F040=110000", "F040=~F", "F040=~", "F040=41.", "F040=41  F041=42"})
        EXPECT_FALSE(StandIns::fromText(bad)) << bad;
}
