// Heading lines as writers write them, and the lines that only look like them.
#include <gtest/gtest.h>

#include <string>

#include "outline/headings.h"
#include "support/test_text.h"
#include "text/codec.h"

using namespace verlo::outline;
using verlo::test::sjis;

namespace {

struct Case {
    std::u16string line;
    int level;             // 0: no heading
    std::u16string text;   // the heading's text
};

std::u16string shown(const std::string& bytes) { return verlo::text::codec::decodeUtf16(bytes); }

}  // namespace

TEST(Headings, EachConventionAndItsNearMisses) {
    const Case cases[] = {
        // numbered: kanji, half- and full-width digits, each unit, what may follow
        {u"第一章　雨の夜", 2, u"第一章　雨の夜"},
        {u"第12話 再会", 2, u"第12話 再会"},
        {u"第３部", 1, u"第３部"},
        {u"　　第二十三節", 3, u"第二十三節"},
        {u"第百話「帰郷」", 2, u"第百話「帰郷」"},
        {u"第〇章、はじまり", 2, u"第〇章、はじまり"},
        {u"第一章の終わりに、彼は言った。", 0, u""},
        {u"「第一章　雨の夜」", 0, u""},
        {u"彼は第一章を読んだ。", 0, u""},
        {u"第章", 0, u""},
        {u"第一巻", 0, u""},
        {u"第一章々", 0, u""},
        // named: the whole line, spaces around allowed
        {u"プロローグ", 2, u"プロローグ"},
        {u"　エピローグ　", 2, u"エピローグ"},
        {u"序章", 2, u"序章"},
        {u"終章", 2, u"終章"},
        {u"幕間 ", 2, u"幕間"},
        {u"間章", 2, u"間章"},
        {u"序章の前に", 0, u""},
        {u"「序章」", 0, u""},
        // hashes
        {u"# 第一部", 1, u"第一部"},
        {u"## 雨の夜", 2, u"雨の夜"},
        {u"###　小さな話", 3, u"小さな話"},
        {u"#### 深すぎる", 0, u""},
        {u"#タグ", 0, u""},
        {u"# ", 0, u""},
        // annotations, both forms, with ruby and other annotations inside
        {u"［＃大見出し］第一部［＃大見出し終わり］", 1, u"第一部"},
        {u"［＃中見出し］｜雨《あめ》の夜［＃中見出し終わり］", 2, u"雨の夜"},
        {u"［＃３字下げ］［＃小見出し］《《一》》［＃小見出し終わり］", 3, u"一"},
        {u"雨の夜［＃「雨の夜」は中見出し］", 2, u"雨の夜"},
        {u"｜雨《あめ》の夜［＃「雨の夜」は大見出し］", 1, u"雨の夜"},
        {u"第一章［＃「第一章」は大見出し］", 1, u"第一章"},
        {u"［＃大見出し］終わりがない", 0, u""},
        {u"雨の夜［＃「雨」に傍点］", 0, u""},
        {u"晴れの朝［＃「雨の夜」は中見出し］", 0, u""},
        {u"", 0, u""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Heading h = readHeading(sjis(cases[i].line), HeadingRules{});
        EXPECT_EQ(h.level, cases[i].level) << "case " << i;
        if (cases[i].level) {
            EXPECT_EQ(shown(h.text), cases[i].text) << "case " << i;
        }
    }
}

TEST(Headings, EachConventionHasItsSwitch) {
    const std::u16string lines[] = {u"［＃大見出し］一［＃大見出し終わり］", u"第一章", u"プロローグ", u"# 一"};
    bool HeadingRules::*const switches[] = {&HeadingRules::annotations, &HeadingRules::numbered, &HeadingRules::named,
                                            &HeadingRules::hashes};
    for (std::size_t off = 0; off < std::size(switches); ++off) {
        HeadingRules rules;
        rules.*switches[off] = false;
        for (std::size_t i = 0; i < std::size(lines); ++i)
            EXPECT_EQ(readHeading(sjis(lines[i]), rules).level != 0, i != off) << off << ' ' << i;
        EXPECT_EQ(rulesFromText(rulesToText(rules)), rules);
    }
    EXPECT_EQ(rulesFromText("numbered, hashes,unknown"), (HeadingRules{false, true, false, true}));
    EXPECT_EQ(rulesToText(HeadingRules{}), "annotations,numbered,named,hashes");
}

TEST(Headings, ATrailByteThatLooksLikeAMarkIsNoMark) {
    // 0x81 0x94 (＃) and 0x81 0x6D (［) as the second bytes of other characters: 0x88 0x81 is
    // one character, the 0x6D after it a Latin m.
    const std::string line = "\x88\x81\x6D\x81\x94" + sjis(u"大見出し］一［＃大見出し終わり］");
    EXPECT_EQ(readHeading(line, HeadingRules{}).level, 0);
}
