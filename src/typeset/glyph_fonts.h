// The physical fonts one Typesetter draws with: the font asked for, and fallback fonts
// for the characters it lacks (fontconfig's choice for Japanese, in its order), each as a
// QRawFont at the same pixel size with a HarfBuzz font over its tables for vertical
// shaping.
#pragma once

#include <QFont>
#include <QRawFont>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

struct hb_face_t;
struct hb_font_t;
struct hb_buffer_t;

namespace verlo::typeset {

class GlyphFonts {
public:
    explicit GlyphFonts(const QFont& font);
    ~GlyphFonts();
    GlyphFonts(const GlyphFonts&) = delete;
    GlyphFonts& operator=(const GlyphFonts&) = delete;

    struct Face {
        QRawFont raw;
        hb_face_t* hbFace = nullptr;
        hb_font_t* hbFont = nullptr;
        unsigned upem = 1000;
        float scale = 1;        // pixels per font unit
        float emCentre = 0;     // height of the ideographic em box's centre above the baseline, pixels
        // Advances read from the font's metrics table and scaled as the font engine scales
        // them, where that gives what the engine gives (its hinting leaves advances alone):
        // the engine loads the whole glyph for its advance. 0 where the engine is asked.
        long long linearScale = 0;  // pixels per font unit, 16.16, as the engine rounds it
        ~Face();
    };

    // The face that draws c: the primary one when it has the character, else the first
    // fallback that has it; -1 when no installed font has it.
    int faceFor(char32_t c);
    Face& face(int index) { return *faces_[static_cast<std::size_t>(index)]; }
    std::size_t faceCount() const { return faces_.size(); }

    std::uint32_t glyphIndex(int face, char32_t c);
    // Horizontal advance of a glyph, pixels (fractional, as the font gives it).
    float horizontalAdvance(int face, std::uint32_t glyph);

    // c shaped alone top to bottom (HarfBuzz, vertical forms applied), in font units:
    // the glyph, its offset from the pen at the top centre of the cell (y upwards) and
    // the vertical advance (positive, downwards).
    struct Vertical {
        std::uint32_t glyph = 0;
        int xOffset = 0;
        int yOffset = 0;
        int yAdvance = 0;
    };
    Vertical shapeVertical(int face, char32_t c);

private:
    int addFace(const QRawFont& raw);
    void useLinearAdvances(Face& f);
    static float linearAdvance(const Face& f, std::uint32_t glyph);
    static float engineAdvance(Face& f, std::uint32_t glyph);
    void loadCandidates();

    QFont font_;
    std::vector<std::unique_ptr<Face>> faces_;
    // Fontconfig's sorted fallback list for the font with language "ja": family names and
    // the characters each covers (FcCharSet*, owned).
    struct Candidate {
        QString family;
        void* charset = nullptr;
    };
    std::vector<Candidate> candidates_;
    bool candidatesLoaded_ = false;
    hb_buffer_t* buffer_ = nullptr;
};

}  // namespace verlo::typeset
