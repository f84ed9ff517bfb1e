// Wrapping one paragraph into lines, shared by the layout on the interface thread and the
// layout workers: the limits the layout works with, and the piecewise wrapping of a long
// paragraph (a file without line breaks), which never holds the cells of the whole of it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "text/cp932.h"
#include "typeset/ruby_layout.h"
#include "typeset/typesetter.h"

namespace verlo::edit::paragraph_wrap {

// Advances are summed in floats; a line exactly as long as the width must still fit.
constexpr float kWidthSlack = 1.0f / 64;
// Paragraphs longer than this (bytes) are laid out a line at a time.
constexpr std::size_t kLongParagraph = 64 * 1024;
// Bytes set per step when wrapping a long paragraph whole, and after a change in it.
constexpr std::size_t kLongChunk = 32 * 1024;
constexpr std::size_t kEditChunk = 2 * 1024;

inline float limit(float width) { return width + kWidthSlack; }

// Ruby folded into a paragraph's cells before they are wrapped, while ruby is shown: who
// folds, the paragraph's document position and the range whose groups stay as written.
struct RubyFold {
    typeset::RubyLayout* ruby = nullptr;
    std::size_t paraStart = 0;
    std::size_t rawFrom = 0;
    std::size_t rawTo = 0;
};

// Cells and line starts of a paragraph held as a whole; returns its number of lines.
inline std::uint32_t layOut(const typeset::Typesetter& typesetter, float width, std::string_view text,
                            std::vector<typeset::Cell>& cells, std::vector<std::uint32_t>& starts,
                            const RubyFold& fold = {}) {
    typesetter.cells(text, cells);
    if (fold.ruby) fold.ruby->fold(text, fold.paraStart, fold.rawFrom, fold.rawTo, limit(width), cells);
    typesetter.wrap(text, cells, limit(width), starts);
    if (starts.empty()) starts.push_back(0);
    return static_cast<std::uint32_t>(starts.size());
}

// A paragraph held in one piece of memory, as a source for wrapPieces.
struct TextSource {
    std::string_view text;
    std::string_view view(std::size_t pos, std::size_t length) const { return text.substr(pos, length); }
    std::size_t snap(std::size_t pos) const { return text::cp932::snapBack(text, pos); }
    std::size_t prev(std::size_t pos) const { return text::cp932::prevBoundary(text, pos); }
};

// Wraps [from, end) of a long paragraph read through `source` (view, snap to a character
// start, the character start before), positions counted from the paragraph's start;
// `from` is a line start. Appends the starts of the lines from `from` on to out, until
// resync(start) says the old lines go on from there (returns that start) or the end
// (returns npos).
template <class Source, class Resync>
std::size_t wrapPieces(const typeset::Typesetter& typesetter, float width, Source& source, std::size_t from, std::size_t end,
                       std::size_t chunk, std::vector<typeset::Cell>& cells, std::vector<std::uint32_t>& starts,
                       std::vector<std::uint32_t>& out, Resync resync) {
    out.push_back(static_cast<std::uint32_t>(from));
    std::size_t lineStart = from;
    for (;;) {
        std::size_t chunkEnd = std::min(end, lineStart + chunk);
        if (chunkEnd < end) chunkEnd = source.snap(chunkEnd);
        const bool atEnd = chunkEnd == end;
        // One character before the line start goes along as context of the first cell.
        const std::size_t base = lineStart > 0 ? source.prev(lineStart) : 0;
        const std::string_view text = source.view(base, chunkEnd - base);
        typesetter.cells(text, cells);
        const auto firstCell = std::partition_point(cells.begin(), cells.end(),
                                                    [&](const typeset::Cell& c) { return c.offset < lineStart - base; });
        cells.erase(cells.begin(), firstCell);
        typesetter.wrap(text, cells, limit(width), starts);
        // Without the end of the paragraph in the piece, its last two line starts may
        // depend on what follows: they are set again with the next piece.
        const std::size_t known = atEnd ? starts.size() : starts.size() - 1;
        if (!atEnd && known < 2) {
            chunk *= 2;
            continue;
        }
        for (std::size_t j = 1; j < known; ++j) {
            const std::size_t s = base + cells[starts[j]].offset;
            if (resync(s)) return s;
            out.push_back(static_cast<std::uint32_t>(s));
        }
        if (atEnd) return static_cast<std::size_t>(-1);
        lineStart = out.back();
    }
}

}  // namespace verlo::edit::paragraph_wrap
