#include "typeset/glyph_cache.h"

#include <unicode/uchar.h>

#include <QFontInfo>

#include <algorithm>
#include <cmath>

#include "text/codec.h"

namespace verlo::typeset {
namespace {

int roundToInt(float v) { return static_cast<int>(std::lround(v)); }

bool isControl(char32_t c) { return c < 0x20 || c == 0x7F; }

// Greek and Cyrillic letters of the code page are full-width in Japanese fonts and stand
// upright in vertical Japanese text, although Unicode marks them for turning.
bool isFullWidthLetterUpright(char32_t c, float horizontalAdvance, float em) {
    return c >= 0x0370 && c <= 0x04FF && horizontalAdvance >= em * 0.9f;
}

}  // namespace

GlyphCache::GlyphCache(const QFont& font, Writing writing, const text::StandIns* standIns)
    : fonts_(font),
      writing_(writing),
      emPixels_(fonts_.face(0).raw.isValid() ? static_cast<float>(fonts_.face(0).raw.pixelSize())
                                             : static_cast<float>(QFontInfo(font).pixelSize())),
      standIns_(standIns) {
    // Japanese is set solid: a full-width character takes one em along a line and down a
    // column alike, the advance of "１" in whole pixels, or of "一" where that is wider (a
    // proportional face sets its full-width digits narrower than the em).
    for (const char32_t c : {U'\uFF11', U'\u4E00'}) {
        int face = fonts_.faceFor(c);
        if (face < 0) face = 0;
        fullWidthAdvance_ = std::max(fullWidthAdvance_, roundToInt(fonts_.horizontalAdvance(face, fonts_.glyphIndex(face, c))));
    }
    if (writing_ == Writing::Horizontal) return;
    for (std::size_t i = 0; i < kNarrow.size(); ++i) {
        const auto c = static_cast<char32_t>(kNarrow[i]);
        int narrowFace = fonts_.faceFor(c);
        if (narrowFace < 0) narrowFace = 0;
        const std::uint32_t glyph = fonts_.glyphIndex(narrowFace, c);
        narrow_[i] = {static_cast<std::uint16_t>(glyph), static_cast<std::uint8_t>(narrowFace),
                      fonts_.horizontalAdvance(narrowFace, glyph)};
    }
}

GlyphCache::Page* GlyphCache::allocate(std::size_t page) {
    pages_[page] = std::make_unique<Page>();
    return pages_[page].get();
}

void GlyphCache::forgetStandIns() {
    for (unsigned lead = 0xF0; lead <= 0xF9; ++lead) {
        pages_[lead].reset();
        std::fill_n(quick_.begin() + lead * 0x100, 0x100, std::uint8_t{0});
    }
}

void GlyphCache::fill(GlyphEntry& e, const std::uint8_t* p, std::size_t length) {
    if (length == 2 && standIns_ && text::isUserAreaLead(p[0])) {
        if (const text::StandIns::Entry* standIn = standIns_->find(p[0], p[1])) {
            e.length = 2;
            if (standIn->chars.empty()) {  // bytes of the file that were not text
                e.kind = GlyphKind::Mark;
                e.advance = static_cast<std::int16_t>(fullWidthAdvance_);
                return;
            }
            // A cluster is drawn as the character it starts with.
            fillGlyph(e, standIn->chars.front());
            return;
        }
    }
    std::size_t decoded = 0;
    const std::string_view bytes(reinterpret_cast<const char*>(p), length);
    const char32_t raw = text::codec::decodeChar(bytes, 0, &decoded);
    e.length = static_cast<std::uint8_t>(decoded ? decoded : length);
    if (raw == U'\t') {
        e.kind = GlyphKind::Blank;
        e.advance = static_cast<std::int16_t>(tabAdvance());
        return;
    }
    if (text::codec::isInvalidByteMark(raw) || isControl(raw)) {
        e.kind = GlyphKind::Mark;
        e.advance = static_cast<std::int16_t>(fullWidthAdvance_);
        return;
    }
    fillGlyph(e, text::codec::standsFor(raw));
}

void GlyphCache::fillGlyph(GlyphEntry& e, char32_t c) {
    int face = fonts_.faceFor(c);
    if (face < 0) face = 0;  // no installed font has it: the primary font's missing-glyph mark
    const GlyphFonts::Face& f = fonts_.face(face);
    const std::uint32_t glyph = fonts_.glyphIndex(face, c);
    const float horizontal = fonts_.horizontalAdvance(face, glyph);
    e.face = static_cast<std::uint8_t>(face);
    e.glyph = static_cast<std::uint16_t>(glyph);
    // Whole pixels, as the screen draws them; a character never takes no room at all.
    const int horizontalAdvance = std::max(1, roundToInt(horizontal));
    if (writing_ == Writing::Horizontal) {
        e.kind = GlyphKind::Upright;
        e.advance = static_cast<std::int16_t>(horizontalAdvance);
        return;
    }

    const GlyphFonts::Vertical v = fonts_.shapeVertical(face, c);
    const bool hasVerticalForm = v.glyph != glyph;
    const auto orientation = static_cast<UVerticalOrientation>(u_getIntPropertyValue(static_cast<UChar32>(c),
                                                                                     UCHAR_VERTICAL_ORIENTATION));
    const bool turns = (orientation == U_VO_ROTATED || orientation == U_VO_TRANSFORMED_ROTATED) &&
                       !hasVerticalForm && !isFullWidthLetterUpright(c, horizontal, emPixels_);
    if (turns) {
        e.kind = GlyphKind::Turned;
        e.advance = static_cast<std::int16_t>(horizontalAdvance);
        e.dx = 0;
        e.dy = static_cast<float>(roundToInt(f.emCentre));
        return;
    }
    // Upright: a full-width character's cell is the full-width advance, other vertical
    // advances in proportion; the glyph is centred in its cell.
    e.kind = GlyphKind::Upright;
    e.glyph = static_cast<std::uint16_t>(v.glyph);
    // A face without vertical metrics (a Latin face) gives its whole height: at most an em.
    const int fontUnits = std::min(v.yAdvance, static_cast<int>(f.upem));
    const int advance = std::max(1, roundToInt(static_cast<float>(fontUnits) * static_cast<float>(fullWidthAdvance_) /
                                               static_cast<float>(f.upem)));
    e.advance = static_cast<std::int16_t>(advance);
    const float fontAdvance = static_cast<float>(fontUnits) * f.scale;
    e.dx = static_cast<float>(roundToInt(static_cast<float>(v.xOffset) * f.scale));
    e.dy = static_cast<float>(roundToInt((static_cast<float>(advance) - fontAdvance) / 2 -
                                         static_cast<float>(v.yOffset) * f.scale));
}

}  // namespace verlo::typeset
