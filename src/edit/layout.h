// The laid-out lines of a document: each paragraph (hard line) wrapped at a width along
// the inline axis by the typesetter. Line counts of all paragraphs are kept in a
// WrapIndex; cells and line starts are kept only for the paragraphs recently used (the
// visible ones and the caret's), in a small cache. A change of the document re-wraps only
// the paragraphs it touched; a change of width or font re-wraps everything, lazily at the
// next query.
//
// Positions are byte offsets into the document. A position where a wrapped line starts
// belongs to that line; asked "upstream", it belongs to the end of the line before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "edit/typesetter.h"
#include "edit/wrap_index.h"
#include "text/document.h"

namespace verlo::edit {

class Layout {
public:
    explicit Layout(text::Document& document);
    ~Layout();
    Layout(const Layout&) = delete;
    Layout& operator=(const Layout&) = delete;

    // Font and direction; everything is laid out again at the next query.
    void setFont(const QFont& font, Writing writing);
    const Typesetter& typesetter() const { return *typesetter_; }
    Writing writing() const { return typesetter_->writing(); }
    int linePitch() const { return typesetter_->linePitch(); }

    // The extent along the inline axis that a line may fill, pixels.
    void setWrapWidth(float width);
    float wrapWidth() const { return width_; }

    // Called by the document's listener after every change.
    void documentChanged(const text::Change& change);
    // Drops everything; the next query lays the whole document out.
    void invalidate();
    bool isValid() const { return valid_; }

    std::size_t lineCount();
    std::size_t lineFromChar(std::size_t pos, bool upstream = false);
    std::size_t lineStart(std::size_t line);  // first position of a laid-out line

    // One laid-out line, valid until the next change of the document or of the layout,
    // or the next call of trimCache(). text is the whole paragraph (without its break).
    struct Line {
        std::size_t index = 0;       // laid-out line number
        std::size_t paragraph = 0;
        std::size_t paraStart = 0;   // document position of the paragraph's first byte
        std::string_view text;
        const std::vector<Cell>* cells = nullptr;
        std::size_t first = 0;       // cells [first, last) of the paragraph form this line
        std::size_t last = 0;
        bool lastOfParagraph = false;
        bool paragraphHasBreak = false;  // a line break follows the paragraph

        std::size_t startPos() const;  // document position of the line's first byte
        std::size_t endPos() const;    // position after its last character (before a break)
        float extent() const;          // sum of its advances
        // Inline offset of a position in [startPos(), endPos()].
        float inlineOf(std::size_t pos) const;
        // The position nearest to inline offset u; *upstream is set when it is the end of
        // a line that wraps (the same position as the next line's start).
        std::size_t hit(float u, bool* upstream) const;
    };
    Line line(std::size_t line);

    // Keeps the cache small; call where no Line is held.
    void trimCache();

    // Lays everything out now if it is not (a full wrap of the document).
    void ensure();

private:
    struct Para {
        std::size_t index = 0;
        std::vector<Cell> cells;
        std::vector<std::uint32_t> starts;
        std::uint64_t used = 0;
    };
    std::string_view paragraphText(std::size_t paragraph);
    Para& para(std::size_t paragraph);
    Para* cached(std::size_t paragraph);
    std::uint32_t layOut(std::string_view text, std::vector<Cell>& cells, std::vector<std::uint32_t>& starts) const;
    std::size_t lineInParagraph(const Para& p, std::size_t offset, bool upstream) const;

    text::Document& doc_;
    std::unique_ptr<Typesetter> typesetter_;
    float width_ = 0;
    bool valid_ = false;
    WrapIndex index_;
    std::vector<std::unique_ptr<Para>> cache_;
    std::uint64_t clock_ = 0;
    std::vector<Cell> scratchCells_;
    std::vector<std::uint32_t> scratchStarts_;
};

}  // namespace verlo::edit
