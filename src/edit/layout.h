// The laid-out lines of a document: each paragraph (hard line) wrapped at a width along
// the inline axis by the typesetter. Line counts of all paragraphs are kept in a
// WrapIndex; cells and line starts are kept only for the paragraphs recently used (the
// visible ones and the caret's), in a small cache. A change of the document re-wraps only
// the paragraphs it touched; a change of width or font re-wraps everything, lazily at the
// next query.
//
// A long paragraph (a file without line breaks, a whole text encrypted into one line) is
// never held as cells: its line starts are kept as byte offsets, wrapped piece by piece,
// and a change in it re-wraps from the line before the change only until the lines meet
// the old ones again. Its lines are set one at a time when they are shown.
//
// In the background (runInBackground), laying everything out costs next to nothing on the
// calling thread: paragraphs not laid out yet count an estimate of their lines, worker
// threads wrap them and collect() puts their exact counts in. Any query that needs the
// lines of a paragraph lays that one out at once, so the answers always agree with each
// other; exact() says when no count is an estimate any more. With ruby shown the workers
// fold it as the interface thread does, the groups at the caret as written.
//
// Positions are byte offsets into the document. A position where a wrapped line starts
// belongs to that line; asked "upstream", it belongs to the end of the line before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "edit/layout_workers.h"
#include "edit/paragraph_set.h"
#include "edit/wrap_index.h"
#include "text/document.h"
#include "typeset/ruby_layout.h"
#include "typeset/typesetter.h"

namespace verlo::edit {

// How the background layout shares out its work. The defaults suit every document; tests
// pass small figures so that short texts go to the workers in many jobs.
struct BackgroundShape {
    unsigned threads = 2;
    std::size_t fromBytes = 256 * 1024;  // texts and changes larger than this go to the workers
    std::size_t jobBytes = 256 * 1024;   // text per job (a long paragraph goes alone)
};

class Layout {
public:
    explicit Layout(text::Document& document);
    ~Layout();
    Layout(const Layout&) = delete;
    Layout& operator=(const Layout&) = delete;

    // Font and direction; everything is laid out again at the next query.
    void setFont(const QFont& font, typeset::Writing writing);
    // The document's table of stand-ins was replaced (a file was loaded).
    void standInsReplaced();
    const typeset::Typesetter& typesetter() const { return *typesetter_; }
    typeset::Writing writing() const { return typesetter_->writing(); }
    int linePitch() const { return typesetter_->linePitch() + (ruby_ ? ruby_->extraPitch() : 0); }

    // Ruby and emphasis drawn from their notation (ruby_layout.h); null while they are not.
    // The groups that [from, to] touches (the caret, the selection) are laid out as written;
    // setRawRange() lays out again what that changes and says whether it did. Paragraphs
    // laid out a line at a time (the long ones) always show the notation as written.
    void setRubyShown(bool on);
    typeset::RubyLayout* ruby() const { return ruby_.get(); }
    bool setRawRange(std::size_t from, std::size_t to);
    std::pair<std::size_t, std::size_t> rawRange() const { return {rawFrom_, rawTo_}; }
    // Where a change of the document between from and to may begin to change what is
    // drawn: from, or with ruby shown the start of a group of from's paragraph that the
    // change reaches (RubyLayout::changeReach).
    std::size_t changeReach(std::size_t from, std::size_t to);

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
    // the next call of trimCache() or of line(). text is the paragraph (without its break) that the
    // cells' offsets count from, starting at document position paraStart; of a long
    // paragraph only the piece around the line.
    struct Line {
        std::size_t index = 0;       // laid-out line number
        std::size_t paragraph = 0;
        std::size_t paraStart = 0;   // document position of text's first byte
        std::string_view text;
        const std::vector<typeset::Cell>* cells = nullptr;
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
        // The start of the character under inline offset u (endPos() past the end).
        std::size_t charAt(float u) const;
    };
    Line line(std::size_t line);

    // Keeps the cache small; call where no Line is held. (Asking for a line may also trim
    // it: a Line is valid until the next line is asked for.)
    void trimCache();

    // Lays everything out now if it is not (a full wrap of the document; in the
    // background, estimates and the workers started).
    void ensure();

    // ---- the background
    // From now on whole layouts (a new width, font or direction, a change of many
    // paragraphs) run on worker threads. `wake` is called from a worker when results
    // wait; the owner then calls collect() on its own thread.
    void runInBackground(std::function<void()> wake, BackgroundShape shape = {});
    // True when no line count is an estimate.
    bool exact();
    // Takes in what the workers finished and hands them more; true when counts changed.
    bool collect();
    // Takes what the workers finished and hands them more at once, but holds their counts
    // until the next collect() (which moves the lines, and so the view, only then).
    void receive();
    // True while jobs are out with the workers (more results will come).
    bool receiving() const;
    // Lays out here and now whatever is still estimated.
    void finish();
    // Lays out exactly the paragraphs that hold lines [first, first + count) (line numbers
    // after them may move; the ones before them do not).
    void settleLines(std::size_t first, std::size_t count);

private:
    // A paragraph laid out whole (line starts are indexes into cells), or one line of a
    // long paragraph (line >= 0; cells of that line with a character of context on each
    // side, offsets from `base`).
    struct Para {
        std::size_t index = 0;
        std::ptrdiff_t line = -1;
        std::size_t base = 0;
        std::size_t viewLength = 0;
        std::vector<typeset::Cell> cells;
        std::vector<std::uint32_t> starts;
        std::uint64_t used = 0;
    };
    // A long paragraph: where its lines start, byte offsets into it.
    struct LongPara {
        std::size_t index = 0;
        std::vector<std::uint32_t> starts;
    };
    std::string_view paragraphText(std::size_t paragraph);
    Para& para(std::size_t paragraph, std::ptrdiff_t line = -1);
    Para* cached(std::size_t paragraph, std::ptrdiff_t line);
    std::uint32_t layOut(std::string_view text, std::size_t paraStart, std::vector<typeset::Cell>& cells,
                         std::vector<std::uint32_t>& starts) const;
    std::size_t lineInParagraph(const Para& p, std::size_t offset, bool upstream) const;
    // Lays paragraph p out (the text is its whole text) and returns its number of lines;
    // keeps its cells in the cache when asked.
    std::uint32_t layOutParagraph(std::size_t p, bool keep);
    LongPara* longPara(std::size_t paragraph);
    // Wraps [from, end) of a long paragraph starting at document position paraStart;
    // `from` is a line start. Appends the starts of the lines from `from` on to out, until
    // resync(start) says the old lines go on from there (returns that start) or the end
    // (returns npos).
    template <class Resync>
    std::size_t wrapLong(std::size_t paraStart, std::size_t from, std::size_t end, std::size_t chunk,
                         std::vector<std::uint32_t>& out, Resync resync);
    // Re-wraps a long paragraph after a change inside it; false when it cannot.
    bool rewrapLong(std::size_t p, const text::Change& change);
    // Estimated line counts of paragraphs [first, first + counts.size()).
    void estimates(std::size_t first, std::vector<std::uint32_t>& counts) const;
    // Lays paragraph p out here if its count is an estimate; true when it was.
    bool settle(std::size_t p);
    // The place of a laid-out line, its paragraph laid out exactly (line < lineCount()
    // before; npos paragraph when the line no longer exists after settling).
    WrapIndex::Place settledPlace(std::size_t line);
    // Hands the workers more paragraphs while fewer than two jobs per thread are out.
    void feed();
    // Puts the count of a whole paragraph laid out in p into the index if it differs;
    // true when it did.
    bool repair(std::size_t paragraph, const Para& p);
    void startWorkers();

    text::Document& doc_;
    std::unique_ptr<typeset::Typesetter> typesetter_;
    float width_ = 0;
    bool valid_ = false;
    WrapIndex index_;
    std::vector<std::unique_ptr<Para>> cache_;
    std::vector<LongPara> long_;
    std::uint64_t clock_ = 0;
    std::unique_ptr<typeset::RubyLayout> ruby_;
    std::size_t rawFrom_ = 0;
    std::size_t rawTo_ = 0;
    std::vector<typeset::Cell> scratchCells_;
    std::vector<std::uint32_t> scratchStarts_;

    // Background: the paragraphs whose counts are estimates, where the next job starts,
    // and a tag that changes whenever paragraphs are renumbered or given new text to wrap
    // (results tagged otherwise speak of other paragraphs or other text and are dropped).
    BackgroundShape shape_;
    std::unique_ptr<LayoutWorkers> workers_;
    ParagraphSet pending_;
    std::size_t feedFrom_ = 0;
    std::uint64_t numbering_ = 0;
    std::size_t handedEnd_ = 0;  // the jobs out of this numbering hold paragraphs before it
    std::vector<LayoutWorkers::Result> held_;  // received, not yet put in
};

}  // namespace verlo::edit
