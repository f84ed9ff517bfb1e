// The character identifiers of a CID-keyed CFF font (the outlines of an OpenType font with
// PostScript outlines, such as the large CJK families): a PDF file names the glyphs of such
// a font by CID, which its charset maps from the glyph index.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace verlo::print {

// The CID of every glyph (indexed by glyph) when the CFF table is CID-keyed; empty when it
// is not (a PDF file then names glyphs by index), or when the table cannot be read.
std::vector<std::uint16_t> cffGlyphCids(std::string_view cff);

}  // namespace verlo::print
