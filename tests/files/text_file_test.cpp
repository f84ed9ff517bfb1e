// Files in each encoding: found, read as the text they hold, written back byte for byte, and
// written after a change as an independent converter (glibc's iconv) reads them.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "files/text_file.h"
#include "files/utf8_convert.h"
#include "support/test_text.h"

using namespace verlo::files;
using verlo::test::sjis;

namespace {

using verlo::test::iconvert;

// bytes converted by glibc's iconv; "<fails>" when it cannot.
std::u32string utf32(std::string_view utf8) {
    const std::string bytes = iconvert("UTF-8", "UTF-32LE", utf8);
    std::u32string out(bytes.size() / 4, U'\0');
    std::memcpy(out.data(), bytes.data(), out.size() * 4);
    return out;
}

std::string utf8Of(const verlo::text::StandIns& t, std::string_view doc) {
    const std::u32string chars = t.decode(doc);
    return iconvert("UTF-32LE", "UTF-8", std::string_view(reinterpret_cast<const char*>(chars.data()), chars.size() * 4));
}

const TextFormat kDefaults{};

std::string utf8Of(char32_t first, char32_t last) {
    std::u32string chars;
    for (char32_t c = first; c <= last; ++c) chars.push_back(c);
    return iconvert("UTF-32LE", "UTF-8", std::string_view(reinterpret_cast<const char*>(chars.data()), chars.size() * 4));
}

// The bytes of writeTextInPieces, gathered.
std::string gathered(const TextPieces& t) {
    std::string bytes;
    EXPECT_TRUE(t.pieces([&](std::string_view piece) {
        bytes += piece;
        return true;
    }));
    return bytes;
}

// The same, read from a document kept in blocks of a few bytes, so that every stretch read
// crosses block joins.
std::string gatheredFromDocument(const ReadText& r, std::size_t pieceSize, std::size_t twoThreadsFrom) {
    verlo::text::Document doc(verlo::text::StorageShape{7, 3});
    doc.setText(r.bytes);
    return gathered(writeTextInPieces(DocumentBytes(doc), r.standIns, r.format, pieceSize, twoThreadsFrom));
}

// A UTF-8 file read and written on two threads (split after a line break near the middle)
// gives the same document, table and file as on one; so does writing it a few bytes at a time.
void expectSameOnTwoThreads(const std::string& file) {
    const ReadText one = readText(file, Encoding::Utf8, LineBreak::Lf, SIZE_MAX);
    const ReadText two = readText(file, Encoding::Utf8, LineBreak::Lf, 0);
    ASSERT_EQ(two.bytes, one.bytes) << file;
    ASSERT_EQ(two.tooManyCharacters, one.tooManyCharacters) << file;
    ASSERT_EQ(two.standIns.decode(two.bytes), one.standIns.decode(one.bytes)) << file;
    if (one.tooManyCharacters) return;
    ASSERT_EQ(writeText(two.bytes, two.standIns, two.format, 0).bytes, file);
    ASSERT_EQ(writeText(one.bytes, one.standIns, one.format, SIZE_MAX).bytes, file);
    const std::size_t pieceSize = 1 + file.size() % 7;
    ASSERT_EQ(gathered(writeTextInPieces(one.bytes, one.standIns, one.format, pieceSize, 0)), file);
    ASSERT_EQ(gathered(writeTextInPieces(one.bytes, one.standIns, one.format, pieceSize, SIZE_MAX)), file);
    ASSERT_EQ(gatheredFromDocument(one, pieceSize, 0), file);
}

}  // namespace

TEST(TextFile, EachEncodingIsFoundReadAndWrittenBackUnchanged) {
    struct Case {
        const char* iconvName;  // how the test file is made from UTF-8
        std::string_view bom;
        Encoding expected;
        std::string text;         // UTF-8
        LineBreak breaks;
        const char* typed;        // inserted at the start, then checked through iconv
    };
    const std::string modern = "吾輩は猫である。\n名前は♡まだ無い。剝頰𠮟塡😀葛\U000E0100〜−\n";
    const std::string novel = "吾輩は猫である。\r\n名前はまだ無い。\r\nどこで生れたかとんと見当がつかぬ。\r\n";
    const Case cases[] = {
        {"UTF-8", "", Encoding::Utf8, modern, LineBreak::Lf, "♡"},
        {"UTF-8", "\xEF\xBB\xBF", Encoding::Utf8Bom, modern, LineBreak::Lf, "😀"},
        {"UTF-16LE", "\xFF\xFE", Encoding::Utf16Le, modern, LineBreak::Lf, "𠮟"},
        {"UTF-16BE", "\xFE\xFF", Encoding::Utf16Be, modern + "\r", LineBreak::Lf, "剝"},
        {"CP932", "", Encoding::ShiftJis, novel, LineBreak::CrLf, "あ"},
        {"EUC-JP", "", Encoding::EucJp, novel + "丂\r\r\r\r", LineBreak::Cr, "♪"},
        {"ISO-2022-JP", "", Encoding::Iso2022Jp, novel, LineBreak::CrLf, "漢"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.iconvName);
        const std::string file = std::string(c.bom) + iconvert("UTF-8", c.iconvName, c.text);
        ASSERT_NE(file, "<fails>");
        EXPECT_EQ(detectEncoding(file, Encoding::Utf8), c.expected);
        ReadText r = openText(file, kDefaults);
        EXPECT_EQ(r.format.encoding, c.expected);
        EXPECT_EQ(r.format.lineBreak, c.breaks);
        EXPECT_FALSE(r.tooManyCharacters);
        EXPECT_EQ(utf8Of(r.standIns, r.bytes), c.text);
        WrittenText w = writeText(r.bytes, r.standIns, r.format);
        ASSERT_TRUE(w.ok());
        EXPECT_EQ(w.bytes, file);
        EXPECT_EQ(gathered(writeTextInPieces(r.bytes, r.standIns, r.format, 5, 0)), file);
        EXPECT_EQ(gatheredFromDocument(r, 5, 0), file);

        // One character typed at the start.
        const verlo::text::StandIns::Encoded e = r.standIns.encode(utf32(c.typed));
        ASSERT_TRUE(e.ok());
        w = writeText(e.bytes + r.bytes, r.standIns, r.format);
        ASSERT_TRUE(w.ok());
        EXPECT_EQ(iconvert(c.iconvName, "UTF-8", std::string_view(w.bytes).substr(c.bom.size())), c.typed + c.text);
    }
}

TEST(TextFile, ALargeDocumentIsWrittenFromItsBlocksAsItIsWrittenWhole) {
    // Megabytes of it, in the document's own blocks: UTF-8 pieces on the threads, Shift-JIS
    // stretches as they are, and the whole text where a stand-in must be put back first.
    ReadText r = openText("吾輩は猫である。名前は♡まだ無い。 plain words\n", kDefaults);
    std::string many;
    while (many.size() < (std::size_t{9} << 17)) many += r.bytes;  // past kTwoThreadsFrom and a stretch
    r.bytes = many;
    verlo::text::Document doc;
    doc.setText(r.bytes);
    verlo::text::StandIns ownCodes;  // a Shift-JIS file's user-area code, which stands for itself
    ownCodes.adopt(0xF9FC);
    const verlo::text::StandIns none;
    const struct {
        Encoding encoding;
        const verlo::text::StandIns& standIns;
    } cases[] = {{Encoding::Utf8, r.standIns},     {Encoding::Utf16Le, r.standIns}, {Encoding::ShiftJis, r.standIns},
                 {Encoding::ShiftJis, ownCodes}, {Encoding::ShiftJis, none}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.encoding));
        TextFormat f = r.format;
        f.encoding = c.encoding;
        const WrittenText whole = writeText(r.bytes, c.standIns, f);
        const TextPieces pieces = writeTextInPieces(DocumentBytes(doc), c.standIns, f);
        ASSERT_EQ(whole.ok(), pieces.ok());
        if (pieces.ok()) EXPECT_EQ(gathered(pieces), whole.bytes);
        else EXPECT_EQ(pieces.refused, whole.refused);
    }
}

TEST(TextFile, BytesThatAreNotTextAreKeptInEveryEncoding) {
    const std::string cases[][2] = {
        {"UTF-8", "abc\xFF\xC3(\xE3\x81\x82\xED\xA0\x80\xC0\xAF\xF4\x90\x80\x80z\xE3\x81"},
        {"UTF-16LE", std::string("a\0\x00\xD8\x42\x30z", 8)},  // a lone high surrogate, an odd byte
        {"Shift_JIS", "abc\x82\xFF\x80\xA0\xFD\x81"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        const Encoding encoding = *encodingFromId(c[0]);
        ReadText r = readText(c[1], encoding, LineBreak::CrLf);
        const WrittenText w = writeText(r.bytes, r.standIns, r.format);
        ASSERT_TRUE(w.ok());
        EXPECT_EQ(w.bytes, c[1]);
    }
}

TEST(TextFile, DetectionFallsBackToShiftJisAndPlainAsciiTakesTheDefault) {
    EXPECT_EQ(detectEncoding("plain text\r\n", Encoding::Utf8), Encoding::Utf8);
    EXPECT_EQ(detectEncoding("", Encoding::EucJp), Encoding::EucJp);
    EXPECT_EQ(detectEncoding("\x82\xA0\xFF\x01\x02", Encoding::Utf8), Encoding::ShiftJis);
    EXPECT_EQ(detectEncoding(verlo::test::sampleText(), Encoding::Utf8), Encoding::ShiftJis);
    // Valid UTF-8 that is also Shift-JIS-like stays UTF-8 (strict validity decides first).
    EXPECT_EQ(detectEncoding("\xE3\x81\x82", Encoding::ShiftJis), Encoding::Utf8);
}

TEST(TextFile, LineBreaksOfTheFileAreKeptAndTheMostUsedIsTheDocumentsOwn) {
    struct Case {
        std::string text;
        LineBreak expected;
    };
    const Case cases[] = {
        {"a\nb\nc\r\n", LineBreak::Lf},
        {"a\rb\rc\n", LineBreak::Cr},
        {"a\r\nb\nc\r\n", LineBreak::CrLf},
        {"no breaks", LineBreak::Lf},  // the default passed for a file without breaks
    };
    for (const Case& c : cases) {
        const ReadText r = readText(c.text, Encoding::Utf8, LineBreak::Lf);
        EXPECT_EQ(r.format.lineBreak, c.expected) << c.text;
        EXPECT_EQ(r.bytes, c.text);
        EXPECT_EQ(writeText(r.bytes, r.standIns, r.format).bytes, c.text);
    }
}

TEST(TextFile, TooManyDistinctCharactersMakeTheDocumentReadOnly) {
    std::string file;
    for (char32_t c = 0x20000; c <= 0x20000 + verlo::text::kUserAreaCodes; ++c)
        file += iconvert("UTF-32LE", "UTF-8", std::string_view(reinterpret_cast<const char*>(&c), 4));
    const ReadText r = readText(file, Encoding::Utf8, LineBreak::CrLf);
    EXPECT_TRUE(r.tooManyCharacters);
    EXPECT_EQ(r.bytes.substr(r.bytes.size() - 2), sjis(u"〓"));
}

TEST(TextFile, EncodingsThatCannotHoldACharacterNameIt) {
    ReadText r = readText("a♡b😀あ", Encoding::Utf8, LineBreak::CrLf);
    TextFormat f = r.format;
    for (Encoding e : {Encoding::ShiftJis, Encoding::EucJp}) {
        f.encoding = e;
        const WrittenText w = writeText(r.bytes, r.standIns, f);
        EXPECT_EQ(w.refused, U"♡😀") << encodingId(e);
        const TextPieces p = writeTextInPieces(r.bytes, r.standIns, f);
        EXPECT_EQ(p.refused, U"♡😀") << encodingId(e);
        EXPECT_FALSE(p.pieces);
    }
}

TEST(TextFormat, IdsAndCaptionsReadBack) {
    for (Encoding e : kEncodings) {
        EXPECT_EQ(encodingFromId(encodingId(e)), e);
        EXPECT_EQ(encodingFromId(encodingCaption(e).toStdString()), e);
    }
    for (LineBreak b : kLineBreaks) EXPECT_EQ(lineBreakFromId(lineBreakId(b)), b);
    EXPECT_EQ(encodingFromId("utf-8"), Encoding::Utf8);
    EXPECT_FALSE(encodingFromId("latin1"));
}

TEST(TextFile, ValidUtf8IsFoundWhereverATrickySequenceFalls) {
    struct Case {
        std::string_view bytes;
        bool valid;
    };
    const Case cases[] = {
        {"\xE3\x81\x82", true},          {"\xC3\xA9", true},
        {"\xE0\xA0\x80", true},          {"\xE0\x9F\xBF", false},  // overlong
        {"\xED\x9F\xBF", true},          {"\xED\xA0\x80", false},  // a surrogate
        {"\xF0\x90\x80\x80", true},     {"\xF0\x8F\xBF\xBF", false},
        {"\xF4\x8F\xBF\xBF", true},     {"\xF4\x90\x80\x80", false},  // past U+10FFFF
        {"\xC0\xAF", false},              {"\xC1\xBF", false},
        {"\xF5\x80\x80\x80", false},    {"\xFF", false},
        {"\x80", false},                   {"\xE3\x81", false},  // cut short
        {"\xE3\x81\x82\x82", false},    {"\xF0\x9F\x98", false},
    };
    const std::string before(70, 'a');
    const std::string after = "\xE3\x81\x82" + std::string(70, 'b');
    for (const Case& c : cases) {
        for (std::size_t at = 0; at <= before.size(); ++at) {
            const std::string file = before.substr(0, at) + std::string(c.bytes) + after.substr(0, 140 - at);
            for (std::size_t twoThreadsFrom : {std::size_t{0}, SIZE_MAX}) {
                EXPECT_EQ(isStrictUtf8(file, nullptr, twoThreadsFrom), c.valid) << at;
                EXPECT_EQ(isStrictUtf8(file.substr(0, at + c.bytes.size()), nullptr, twoThreadsFrom), c.valid) << at;
            }
            // Checked 64 bytes at a time with SSE2, and with AVX2 where the processor has it.
            for (const bool wide : {false, utf8::blocksAvailable()}) {
                bool multi = false;
                EXPECT_EQ(utf8::isStrict(file, &multi, SIZE_MAX, wide), c.valid) << at << (wide ? " wide" : "");
                EXPECT_TRUE(!c.valid || multi);
                EXPECT_EQ(utf8::isStrict(file.substr(0, at + c.bytes.size()), nullptr, SIZE_MAX, wide), c.valid) << at;
            }
        }
    }
}

TEST(TextFile, Utf8OnTwoThreadsIsTheSameAsOnOne) {
    // Pieces chosen so that the split lands next to each kind of character: stand-ins, ones
    // that stay with the character before, four bytes, one-byte codes, plain runs.
    const std::string_view pieces[] = {
        "\n", "\r\n", "\n", "吾輩は猫である。名前はまだ無い。", "plain ASCII text, long enough", "あ", "♡", "😀",
        "\u200D", "\u3099", "\uFE0F", "葛\U000E0100", "\U0001F1EF\U0001F1F5", "ｱ", "é", "\uE000", "\uE001",
    };
    std::mt19937 random(15);
    for (int k = 0; k < 400; ++k) {
        std::string file;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) file += pieces[random() % std::size(pieces)];
        expectSameOnTwoThreads(file);
    }
    // The table filling up: in the second half alone, and only with the first half's codes.
    expectSameOnTwoThreads("\n" + utf8Of(0x20000, 0x20000 + verlo::text::kUserAreaCodes));
    expectSameOnTwoThreads(utf8Of(0x20000, 0x20400) + "\n" + utf8Of(0x20200, 0x20800));
}

TEST(TextFile, EucJpAndIso2022JpFilesAreWrittenBackByteForByte) {
    // What the document shows (U+FFFD: bytes kept that are not text) and the file written back.
    struct Case {
        Encoding encoding;
        std::string_view file;
        std::u32string_view shows;
    };
    const Case cases[] = {
        // 吾輩は猫である。名前はま, then A0, which is no EUC-JP text
        {Encoding::EucJp, "\xB8\xE3\xC7\xDA\xA4\xCF\xC7\xAD\xA4\xC7\xA4\xA2\xA4\xEB\xA1\xA3\xCC\xBE\xC1\xB0\xA4\xCF\xA4\xDE\xA0",
         U"吾輩は猫である。名前はま\uFFFD"},
        {Encoding::EucJp, "\xEF\xA4\xEA\x0D", U"錣\uFFFD\r"},           // a lead byte before CR
        {Encoding::EucJp, "\x8C\xE1\x94\x79", U"\u008C\uFFFD\u0094y"},  // 吾輩 in Shift-JIS
        {Encoding::EucJp, "\xFC\xE2\xAD\xA1", U"\uFFFD\uFFFD"},          // 髙 and ① only ICU reads
        {Encoding::EucJp, "\xA1\xC1\x8E\xB1\x8F\xB0\xA1\x8E\x8F", U"～ｱ丂\uFFFD\uFFFD"},  // 〜, kana, JIS X 0212
        {Encoding::Iso2022Jp, "\x1B$B8c", U"吾"},                        // no return to ASCII at the end
        {Encoding::Iso2022Jp, "\x1B$B8c\x1B(J\r\n", U"吾\r\n"},          // returns to JIS X 0201 Roman
        {Encoding::Iso2022Jp, "\x1B(Ja\\~\x1B(B\\", U"\uFFFDa¥‾\\"},   // no kanji before: the first escape kept as bytes
        {Encoding::Iso2022Jp, "a\x1B$B$\"\x1B(Bb\r\n\x1B$B$\"\x1B(B", U"aあb\r\nあ"},
        {Encoding::Iso2022Jp, "\x1B$@0!\r\n0!\x1B(B", U"亜\r\n亜"},    // 1978 kanji; a line break within kanji
        {Encoding::Iso2022Jp, "\x1B$B$\"\xB3\x1B(B", U"あ\uFFFD"},        // an 8-bit byte within kanji
        {Encoding::Iso2022Jp, "\x1B(B\x1B(B\x1B$(D\x0E", U"\uFFFD\uFFFD\uFFFD$(D\x0E"},  // escapes that change nothing, one unknown
        {Encoding::Iso2022Jp, "\x1B$B$\"\x1B(Ba\x1B$B$\"\x1B(J", U"あaあ\uFFFD"},  // a return to another set than the first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.file));
        const ReadText r = readText(c.file, c.encoding, LineBreak::CrLf);
        EXPECT_EQ(r.standIns.decode(r.bytes), c.shows);
        const WrittenText w = writeText(r.bytes, r.standIns, r.format);
        ASSERT_TRUE(w.ok());
        EXPECT_EQ(w.bytes, c.file);
    }
}

TEST(TextFile, EucJpAndIso2022JpWriteOnlyWhatTheCommonDecodersReadAlike) {
    struct Case {
        Encoding encoding;
        std::u32string_view text;  // typed into a new document
        std::string_view file;     // what is written, or
        std::u32string_view refused = {};
    };
    const Case cases[] = {
        {Encoding::EucJp, U"〜～−－", "\xA1\xC1\xA1\xC1\xA1\xDD\xA1\xDD"},
        {Encoding::EucJp, U"ｱ丂\x1B", "\x8E\xB1\x8F\xB0\xA1\x1B"},
        {Encoding::EucJp, U"♡髙①", "", U"♡髙①"},  // ① and 髙: only ICU reads its forms
        {Encoding::Iso2022Jp, U"a\x0E\x1B", "a\x0E\x1B"},  // the single bytes SO and ESC as they are
        {Encoding::Iso2022Jp, U"あa\r\nあ", "\x1B$B$\"\x1B(Ba\r\n\x1B$B$\"\x1B(B"},
        {Encoding::Iso2022Jp, U"¥\\", "\x1B(J\\\x1B(B\\"},
        {Encoding::Iso2022Jp, U"ｱ丂", "", U"ｱ丂"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(encodingId(c.encoding));
        verlo::text::StandIns table;
        table.setAccepting(holdsAnyCharacter(c.encoding));
        const verlo::text::StandIns::Encoded typed = table.encode(c.text);
        EXPECT_EQ(typed.refused, c.refused);  // refused as it is typed
        verlo::text::StandIns any;
        any.setAccepting(true);
        const WrittenText w = writeText(any.encode(c.text).bytes, any, TextFormat(c.encoding));
        EXPECT_EQ(w.refused, c.refused);  // and at save, when it came in another way
        EXPECT_EQ(w.ok() ? w.bytes : "", c.file);
    }
}
