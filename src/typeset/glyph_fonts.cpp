#include "typeset/glyph_fonts.h"

#include <fontconfig/fontconfig.h>
#include <hb-ot.h>
#include <hb.h>

#include <QByteArray>
#include <QList>
#include <cmath>

namespace verlo::typeset {
namespace {

// HarfBuzz reads the font's tables through Qt; each blob owns its copy of the table.
hb_blob_t* referenceTable(hb_face_t*, hb_tag_t tag, void* userData) {
    const auto* raw = static_cast<const QRawFont*>(userData);
    const char name[5] = {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag), 0};
    auto* table = new QByteArray(raw->fontTable(name));
    if (table->isEmpty()) {
        delete table;
        return nullptr;
    }
    return hb_blob_create(table->constData(), static_cast<unsigned>(table->size()), HB_MEMORY_MODE_READONLY,
                          table, [](void* p) { delete static_cast<QByteArray*>(p); });
}

std::uint32_t glyphOf(const QRawFont& raw, char32_t c) {
    const QList<quint32> glyphs = raw.glyphIndexesForString(QString::fromUcs4(&c, 1));
    return glyphs.isEmpty() ? 0 : glyphs.first();
}

// Debian's HarfBuzz would try its graphite shaper first (and ask for a table on every call).
const char* const kShapers[] = {"ot", "fallback", nullptr};

}  // namespace

GlyphFonts::Face::~Face() {
    if (hbFont) hb_font_destroy(hbFont);
    if (hbFace) hb_face_destroy(hbFace);
}

GlyphFonts::GlyphFonts(const QFont& font) : font_(font), buffer_(hb_buffer_create()) {
    addFace(QRawFont::fromFont(font));
}

GlyphFonts::~GlyphFonts() {
    hb_buffer_destroy(buffer_);
    for (Candidate& c : candidates_) FcCharSetDestroy(static_cast<FcCharSet*>(c.charset));
}

int GlyphFonts::addFace(const QRawFont& raw) {
    auto face = std::make_unique<Face>();
    face->raw = raw;
    // The face reads through face->raw, which lives as long as the face does.
    face->hbFace = hb_face_create_for_tables(referenceTable, &face->raw, nullptr);
    face->upem = hb_face_get_upem(face->hbFace);
    if (face->upem == 0) face->upem = 1000;
    face->hbFont = hb_font_create(face->hbFace);
    hb_font_set_scale(face->hbFont, static_cast<int>(face->upem), static_cast<int>(face->upem));
    const qreal pixelSize = raw.isValid() ? raw.pixelSize() : 16.0;
    face->scale = static_cast<float>(pixelSize / face->upem);
    hb_position_t centre = 0;
    hb_ot_layout_get_baseline_with_fallback(face->hbFont, HB_OT_LAYOUT_BASELINE_TAG_IDEO_EMBOX_CENTRAL,
                                            HB_DIRECTION_LTR, HB_OT_TAG_DEFAULT_SCRIPT,
                                            HB_TAG('J', 'A', 'N', ' '), &centre);
    face->emCentre = static_cast<float>(centre) * face->scale;
    faces_.push_back(std::move(face));
    useLinearAdvances(*faces_.back());
    return static_cast<int>(faces_.size()) - 1;
}

void GlyphFonts::loadCandidates() {
    candidatesLoaded_ = true;
    FcPattern* pattern = FcPatternCreate();
    const QByteArray family = font_.family().toUtf8();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.constData()));
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* set = FcFontSort(nullptr, pattern, FcTrue, nullptr, &result);
    FcPatternDestroy(pattern);
    if (!set) return;
    for (int i = 0; i < set->nfont; ++i) {
        FcChar8* name = nullptr;
        FcCharSet* charset = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &name) != FcResultMatch) continue;
        if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &charset) != FcResultMatch) continue;
        candidates_.push_back({QString::fromUtf8(reinterpret_cast<const char*>(name)), FcCharSetCopy(charset)});
    }
    FcFontSetDestroy(set);
}

int GlyphFonts::faceFor(char32_t c) {
    for (std::size_t i = 0; i < faces_.size(); ++i)
        if (faces_[i]->raw.supportsCharacter(c)) return static_cast<int>(i);
    if (!candidatesLoaded_) loadCandidates();
    for (const Candidate& candidate : candidates_) {
        if (!FcCharSetHasChar(static_cast<FcCharSet*>(candidate.charset), c)) continue;
        bool known = false;
        for (const auto& f : faces_) known = known || f->raw.familyName() == candidate.family;
        if (known) continue;  // the face we already have does not draw it after all
        QFont fallback(font_);
        fallback.setFamilies({candidate.family});
        const QRawFont raw = QRawFont::fromFont(fallback);
        if (raw.isValid() && raw.supportsCharacter(c)) return addFace(raw);
    }
    return -1;
}

std::uint32_t GlyphFonts::glyphIndex(int face, char32_t c) { return glyphOf(faces_[static_cast<std::size_t>(face)]->raw, c); }

float GlyphFonts::horizontalAdvance(int face, std::uint32_t glyph) {
    Face& f = *faces_[static_cast<std::size_t>(face)];
    if (f.linearScale > 0) return linearAdvance(f, glyph);
    return engineAdvance(f, glyph);
}

float GlyphFonts::engineAdvance(Face& f, std::uint32_t glyph) {
    const QList<QPointF> advances = f.raw.advancesForGlyphIndexes(QList<quint32>{glyph});
    return advances.isEmpty() ? 0.f : static_cast<float>(advances.first().x());
}

float GlyphFonts::linearAdvance(const Face& f, std::uint32_t glyph) {
    // As FreeType scales an advance (16.16 pixels, rounded) and the font engine keeps it
    // (26.6 pixels, truncated).
    const long long units = hb_font_get_glyph_h_advance(f.hbFont, glyph);
    const long long linear = (units * f.linearScale + 32) / 64;
    return static_cast<float>(linear >> 10) / 64.0f;
}

void GlyphFonts::useLinearAdvances(Face& f) {
    if (!f.raw.isValid()) return;
    const long long size = std::llround(f.raw.pixelSize() * 64);
    f.linearScale = (size * 65536 + f.upem / 2) / f.upem;
    // Where the engine's hinting changes advances (full hinting at small sizes), a few
    // narrow and wide characters tell: the engine is asked then, for every glyph.
    for (const char32_t c : U"aijlmW1.\u4E00\uFF11\u3042") {
        if (c == 0 || !f.raw.supportsCharacter(c)) continue;
        const std::uint32_t glyph = glyphOf(f.raw, c);
        if (linearAdvance(f, glyph) != engineAdvance(f, glyph)) {
            f.linearScale = 0;
            return;
        }
    }
}

GlyphFonts::Vertical GlyphFonts::shapeVertical(int index, char32_t c) {
    Face& f = face(index);
    hb_buffer_clear_contents(buffer_);
    const auto cp = static_cast<std::uint32_t>(c);
    hb_buffer_add_utf32(buffer_, &cp, 1, 0, 1);
    hb_buffer_guess_segment_properties(buffer_);
    const hb_script_t script = hb_buffer_get_script(buffer_);
    // Punctuation and symbols are shaped as Japanese, where the fonts keep their vertical forms.
    if (script == HB_SCRIPT_COMMON || script == HB_SCRIPT_INHERITED || script == HB_SCRIPT_UNKNOWN)
        hb_buffer_set_script(buffer_, HB_SCRIPT_HAN);
    hb_buffer_set_direction(buffer_, HB_DIRECTION_TTB);
    hb_buffer_set_language(buffer_, hb_language_from_string("ja", -1));
    hb_shape_full(f.hbFont, buffer_, nullptr, 0, kShapers);
    unsigned count = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer_, &count);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer_, &count);
    Vertical v;
    if (count == 0) return v;
    v.glyph = info[0].codepoint;
    v.xOffset = pos[0].x_offset;
    v.yOffset = pos[0].y_offset;
    v.yAdvance = -pos[0].y_advance;
    return v;
}

}  // namespace verlo::typeset
