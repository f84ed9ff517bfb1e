// The per-font glyph cache of a Typesetter: for every CP932 code met, the glyph that
// draws it in one writing direction, its whole-pixel advance along the inline axis and
// where to put it. Each entry is filled once, on first use (shaping happens only then).
//
// Entries are indexed by the bytes themselves (a one-byte character by its byte, a
// two-byte one by lead and trail), in pages of 256 allocated as they are first needed, so
// a lookup decodes nothing.
#pragma once

#include <QFont>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "text/cp932.h"
#include "text/stand_ins.h"
#include "typeset/glyph_fonts.h"
#include "typeset/typesetter.h"

namespace verlo::typeset {

enum class GlyphKind : std::uint8_t {
    Unfilled,  // not looked at yet
    Upright,   // drawn as is: every glyph in horizontal writing, upright ones in vertical
    Turned,    // vertical writing: turned 90° clockwise, em box centred on the column
    Mark,      // a byte that is not text, or a control character: a boxed hex mark
    Blank      // a tab: nothing drawn
};

struct GlyphEntry {
    // Where the glyph's origin goes, pixels. Horizontal writing: from the pen on the
    // baseline. Vertical upright: x from the column's centre, y from the cell's top.
    // Turned: y is the baseline in the turned frame, whose y=0 is the column's centre.
    float dx = 0;
    float dy = 0;
    std::uint16_t glyph = 0;
    std::int16_t advance = 0;  // along the inline axis, whole pixels
    std::uint8_t face = 0;     // index into GlyphFonts
    GlyphKind kind = GlyphKind::Unfilled;
    std::uint8_t length = 0;   // bytes of the character (1 or 2)
};

class GlyphCache {
public:
    // standIns: what the document's user-defined-area codes stand for (drawn as those
    // characters), or null.
    GlyphCache(const QFont& font, Writing writing, const text::StandIns* standIns = nullptr);
    // The document's table was replaced: its codes are looked up again when next drawn.
    void forgetStandIns();

    // The cell of a full-width character along the inline axis, whole pixels: the advance
    // of "１" (or of "一" where wider) as it is drawn, in both directions (one em, set solid).
    int fullWidthAdvance() const { return fullWidthAdvance_; }
    // A tab's cell: two full-width cells (four half-width spaces in a Japanese fixed-pitch face).
    int tabAdvance() const { return 2 * fullWidthAdvance_; }

    // The entry of the character starting at p (a character start, `available` bytes left).
    const GlyphEntry& at(const std::uint8_t* p, std::size_t available) {
        const std::uint8_t b0 = p[0];
        std::size_t page = 0;
        std::uint8_t index = b0;
        if (available >= 2 && text::cp932::isLeadByte(b0) && text::cp932::isTrailByte(p[1])) {
            page = b0;
            index = p[1];
        }
        Page* entries = pages_[page].get();
        if (!entries) entries = allocate(page);
        GlyphEntry& e = (*entries)[index];
        if (e.kind == GlyphKind::Unfilled) {
            fill(e, p, page ? 2 : 1);
            if (e.length == (page ? 2 : 1) && e.advance > 0 && e.advance <= 0xFF)
                quick_[page << 8 | index] = static_cast<std::uint8_t>(e.advance);
        }
        return e;
    }

    // The advances of the characters met so far, one byte each, indexed like the entries
    // (a one-byte character by its byte, a two-byte one by lead << 8 | trail): 0 where the
    // entry must be asked (not filled yet, or an advance over 255 pixels). Small enough to
    // stay in the processor's nearest cache while a whole text is set, where the entries
    // themselves are not.
    const std::uint8_t* quickAdvances() const { return quick_.data(); }

    // The narrow characters drawn side by side in one upright cell in vertical writing
    // (digits, and the ! and ? that stand for a pair of ！ and ？): their horizontal glyphs
    // and advances. c is one of 0-9 ! ?.
    struct Narrow {
        std::uint16_t glyph = 0;
        std::uint8_t face = 0;
        float advance = 0;
    };
    const Narrow& narrow(char c) const { return narrow_[narrowIndex(c)]; }

    GlyphFonts& fonts() { return fonts_; }
    Writing writing() const { return writing_; }

private:
    using Page = std::array<GlyphEntry, 256>;
    Page* allocate(std::size_t page);
    void fill(GlyphEntry& e, const std::uint8_t* p, std::size_t length);
    void fillGlyph(GlyphEntry& e, char32_t c);

    GlyphFonts fonts_;
    Writing writing_;
    int fullWidthAdvance_ = 1;
    float emPixels_;
    std::array<std::unique_ptr<Page>, 256> pages_;
    std::vector<std::uint8_t> quick_ = std::vector<std::uint8_t>(0x10000);
    static constexpr std::string_view kNarrow = "0123456789!?";
    static std::size_t narrowIndex(char c) { return c == '!' ? 10 : c == '?' ? 11 : static_cast<std::size_t>(c - '0'); }
    std::array<Narrow, kNarrow.size()> narrow_{};
    const text::StandIns* standIns_;
};

}  // namespace verlo::typeset
