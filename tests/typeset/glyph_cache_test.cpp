// The glyph cache with the installed fonts: vertical forms, turning, fallback fonts, marks.
#include "typeset/glyph_cache.h"

#include <gtest/gtest.h>

#include <QList>
#include <QRawFont>
#include <string>

#include "support/test_text.h"
#include "text/codec.h"
#include "typeset/glyph_fonts.h"

using verlo::typeset::GlyphCache;
using verlo::typeset::GlyphEntry;
using verlo::typeset::GlyphKind;
using verlo::typeset::Writing;

namespace {

using verlo::test::sjis;

QFont fontOf(const char* family, int pixelSize = 16) {
    QFont font(QString::fromUtf8(family));
    font.setPixelSize(pixelSize);
    return font;
}

const GlyphEntry& entryOf(GlyphCache& cache, const std::string& bytes) {
    return cache.at(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

const GlyphEntry& entryOf(GlyphCache& cache, std::u16string_view c) { return entryOf(cache, sjis(c)); }

}  // namespace

// Advances are read from the font's tables, not from glyphs the font engine loads: they are
// what the engine gives, to its last bit, in faces with and without a proportional design,
// at sizes where a half-width advance falls on half a pixel.
TEST(GlyphFonts, AdvancesAreWhatTheFontEngineGives) {
    for (const char* family : {"IPAGothic", "IPAMincho", "IPAPGothic", "DejaVu Sans"}) {
        for (const int size : {9, 11, 13, 16, 21, 27}) {
            verlo::typeset::GlyphFonts fonts(fontOf(family, size));
            const QRawFont& raw = fonts.face(0).raw;
            int compared = 0;
            for (char32_t c = 0x20; c < 0x3100; c += c < 0x100 ? 1 : 7) {
                if (!raw.supportsCharacter(c)) continue;
                const std::uint32_t glyph = fonts.glyphIndex(0, c);
                const float engine = static_cast<float>(raw.advancesForGlyphIndexes(QList<quint32>{glyph}).first().x());
                ASSERT_EQ(fonts.horizontalAdvance(0, glyph), engine) << family << " " << size << " U+" << std::hex << unsigned(c);
                ++compared;
            }
            EXPECT_GT(compared, 200) << family;
        }
    }
}

TEST(GlyphCache, VerticalFormsOfBracketsPunctuationAndLongVowelMark) {
    GlyphCache h(fontOf("IPAGothic"), Writing::Horizontal);
    GlyphCache v(fontOf("IPAGothic"), Writing::Vertical);
    for (std::u16string_view c : {u"「", u"」", u"『", u"（", u"【", u"〔", u"、", u"。", u"ー", u"〜", u"…", u"‥", u"ぁ", u"ッ"}) {
        const GlyphEntry& he = entryOf(h, c);
        const GlyphEntry& ve = entryOf(v, c);
        EXPECT_EQ(ve.kind, GlyphKind::Upright) << std::string(c.begin(), c.end());
        EXPECT_NE(ve.glyph, he.glyph) << "no vertical form for U+" << std::hex << unsigned(c[0]);
        EXPECT_EQ(ve.advance, 16);  // one em, set solid
    }
    // Ideographs and kana stand upright as they are.
    for (std::u16string_view c : {u"猫", u"あ", u"ア", u"１", u"α"}) {
        EXPECT_EQ(entryOf(v, c).kind, GlyphKind::Upright) << unsigned(c[0]);
        EXPECT_EQ(entryOf(v, c).glyph, entryOf(h, c).glyph) << unsigned(c[0]);
    }
}

TEST(GlyphCache, LatinAndCharactersWithoutVerticalFormsTurn) {
    GlyphCache h(fontOf("IPAGothic"), Writing::Horizontal);
    GlyphCache v(fontOf("IPAGothic"), Writing::Vertical);
    for (const char* c : {"A", "z", " ", "(", "-", "\xB6" /* ｶ */}) {
        const GlyphEntry& ve = entryOf(v, std::string(c));
        EXPECT_EQ(ve.kind, GlyphKind::Turned) << c;
        EXPECT_EQ(ve.advance, entryOf(h, std::string(c)).advance) << c;
    }
    // A full-width colon and hyphen-minus have no vertical form in this font: they turn.
    EXPECT_EQ(entryOf(v, u"：").kind, GlyphKind::Turned);
    EXPECT_EQ(entryOf(v, u"－").kind, GlyphKind::Turned);
    // Every horizontal entry is upright.
    EXPECT_EQ(entryOf(h, std::string("A")).kind, GlyphKind::Upright);
}

TEST(GlyphCache, CharactersTheFontLacksComeFromAJapaneseFallback) {
    // DejaVu Sans has no kana; an unknown family resolves to a Latin face as well.
    for (const char* family : {"DejaVu Sans", "ＭＳ ゴシック"}) {
        for (Writing w : {Writing::Horizontal, Writing::Vertical}) {
            GlyphCache cache(fontOf(family), w);
            const GlyphEntry& e = entryOf(cache, u"猫");
            EXPECT_NE(e.glyph, 0) << family;
            const auto& face = cache.fonts().face(e.face);
            EXPECT_TRUE(face.raw.supportsCharacter(U'猫')) << family;
            EXPECT_TRUE(face.raw.familyName().startsWith(QStringLiteral("IPA"))) << qPrintable(face.raw.familyName());
            if (w == Writing::Vertical) {
                const GlyphEntry& comma = entryOf(cache, u"、");
                EXPECT_EQ(comma.kind, GlyphKind::Upright);
            }
        }
    }
}

TEST(GlyphCache, DuplicateCodesShowTheCharacterTheyStandFor) {
    // 87 90 (NEC row 13) and 81 E0 are both ≒.
    GlyphCache cache(fontOf("IPAGothic"), Writing::Horizontal);
    const GlyphEntry& nec = entryOf(cache, std::string("\x87\x90"));
    const GlyphEntry& jis = entryOf(cache, std::string("\x81\xE0"));
    EXPECT_EQ(nec.kind, GlyphKind::Upright);
    EXPECT_NE(nec.glyph, 0);
    EXPECT_EQ(nec.glyph, jis.glyph);
    EXPECT_EQ(nec.length, 2);
}

TEST(GlyphCache, MarksForBytesThatAreNotTextAndControls) {
    GlyphCache cache(fontOf("IPAGothic"), Writing::Vertical);
    for (const char* b : {"\x80", "\xA0", "\xFD", "\xFF", "\x01", "\x7F"}) {
        const GlyphEntry& e = entryOf(cache, std::string(b, 1));
        EXPECT_EQ(e.kind, GlyphKind::Mark) << unsigned(static_cast<unsigned char>(b[0]));
        EXPECT_EQ(e.advance, 16);
        EXPECT_EQ(e.length, 1);
    }
    // An unassigned two-byte code is one character: one mark over both bytes.
    const GlyphEntry& unassigned = entryOf(cache, std::string("\x85\x40"));
    EXPECT_EQ(unassigned.kind, GlyphKind::Mark);
    EXPECT_EQ(unassigned.length, 2);
    // A lead byte at the end of the text stands alone.
    const GlyphEntry& lone = cache.at(reinterpret_cast<const std::uint8_t*>("\x82"), 1);
    EXPECT_EQ(lone.kind, GlyphKind::Mark);
    EXPECT_EQ(lone.length, 1);
    EXPECT_EQ(entryOf(cache, std::string("\t")).kind, GlyphKind::Blank);
    EXPECT_EQ(entryOf(cache, std::string("\t")).advance, 32);
}

TEST(GlyphCache, EveryCharacterOfTheCodePageHasAGlyph) {
    // With IPA Gothic installed no valid character shows as a missing-glyph box.
    GlyphCache cache(fontOf("IPAGothic"), Writing::Horizontal);
    int missing = 0;
    std::string example;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0) continue;
        if (lead >= 0xF0 && lead <= 0xF9) continue;  // the user-defined area has no glyphs anywhere
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const GlyphEntry& e = entryOf(cache, bytes);
            if (e.kind == GlyphKind::Upright && e.glyph == 0) {
                if (++missing == 1) example = QString::number(lead << 8 | trail, 16).toStdString();
            }
        }
    }
    EXPECT_EQ(missing, 0) << "first: " << example;
}
