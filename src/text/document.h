// The document: a byte string in CP932, addressed by byte offsets (a CR LF line break
// counts two). Stored in blocks of small gap buffers with a line-start index, so a change
// anywhere costs about as much as typing at one place. Every change passes through
// one function (replace) that records undo, updates the index and notifies the listeners,
// in that order, each change with a revision number that only grows.
//
// Lines here are hard lines: CR LF, a lone CR and a lone LF each end one; an empty
// document has one line. Wrapped (laid-out) lines belong to the edit control.
#pragma once

#include <cstddef>
#include <functional>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "text/stand_ins.h"

namespace verlo::text {

inline constexpr std::size_t npos = static_cast<std::size_t>(-1);

// What one change did, as the listener sees it (after the change).
// The hard lines [firstLine, firstLine + linesRemoved] before the change became the lines
// [firstLine, firstLine + linesAdded] after it; the lines before firstLine are untouched
// and the lines after keep their text (their starts moved by inserted - removed).
// firstLine is the line that held pos before the change, or the line before it when pos
// started a line after a lone CR and the change puts an LF right after that CR (the two
// become one CR LF break). A change inside one line has linesRemoved = linesAdded = 0.
struct Change {
    std::size_t pos = 0;        // where it happened
    std::size_t removed = 0;    // bytes removed at pos
    std::size_t inserted = 0;   // bytes inserted at pos
    std::size_t firstLine = 0;  // first hard line touched (see above)
    std::size_t linesRemoved = 0;  // line starts removed (line breaks, CR LF counting once)
    std::size_t linesAdded = 0;    // line starts added
    // The whole text was given anew (setText, loadText, startLoading): a view starts over at
    // its top. Told also when an empty text is given an empty one (nothing else changes).
    bool whole = false;
};

// Told of every change after it is applied, listeners in the order they were added. It
// must not change the document from within any of these (it may read it).
class DocumentListener {
public:
    virtual ~DocumentListener() = default;
    virtual void documentChanged(const Change& change) = 0;
    // Told just before the bytes [pos, pos + len) are replaced (the text is still the old one).
    virtual void documentWillChange(std::size_t pos, std::size_t len) {
        (void)pos;
        (void)len;
    }
    // A text being loaded (startLoading) is all in: its last piece was told as a change
    // before. Not told when the rest of it was dropped (setText, another load).
    virtual void documentLoaded() {}
};

// How a change enters the undo history (the full rules are in undo_history.h).
enum class EditKind {
    Typing,       // one typed character (or a line break typed as Enter): coalesces with the typing before it
    Edit,         // an undoable step of its own (delete key, cut, paste, input-method commit)
    NotUndoable,  // the program's own replacement: applied, and the undo history is emptied
};

enum FindFlags : unsigned {
    FindNone = 0,
    FindMatchCase = 1,  // without it, Latin letters A-Z/a-z match either case
    FindWholeWord = 2,  // a match must not be preceded or followed by a word character
                        // (a one-byte ASCII letter, digit or underscore)
};

// The selection to show after undo or redo: anchor and caret byte positions.
struct Range {
    std::size_t anchor = 0;
    std::size_t caret = 0;
};

// How the document keeps its text: bytes in blocks of at most blockBytes, line starts in
// blocks of at most blockLines. The defaults suit every document; tests pass tiny blocks
// so that short texts cross many block joins.
struct StorageShape {
    std::size_t blockBytes = 8192;
    std::size_t blockLines = 512;
};

class Document {
public:
    Document();
    explicit Document(StorageShape shape);
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Any number of listeners (the views, the owner's watchers), told in the order added.
    void addListener(DocumentListener* listener);
    void removeListener(DocumentListener* listener);
    // How many changes the text has seen (each told change counts one); it only grows.
    std::uint64_t revision() const;

    // ---- content
    std::size_t length() const;
    std::uint8_t byteAt(std::size_t pos) const;
    std::string text() const;
    std::string slice(std::size_t pos, std::size_t len) const;
    // slice into out, which has room for len bytes; answers how many were copied (len
    // clamped to the text).
    std::size_t copy(std::size_t pos, std::size_t len, char* out) const;
    // A view of [pos, pos + len): in place when the bytes lie together in memory, else a
    // copy kept by the document. Valid until the next change (other views do not end it).
    std::string_view view(std::size_t pos, std::size_t len);

    // Replaces the whole text as a not-undoable change (undo history emptied);
    // the document is then modified. Loading a file calls setModified(false) afterwards.
    void setText(std::string_view bytes);
    // setText for a text given in pieces, never held whole: next gives the pieces in order
    // (each a whole number of characters; an empty piece ends them) and puts the stand-ins
    // their characters need into the table it is given (this document's).
    using PieceSource = std::function<std::string_view(StandIns& table)>;
    void loadText(const PieceSource& next);
    // loadText that takes in the first piece only, so that it can be shown at once: loadMore
    // appends more and finishLoading the rest, each piece a change at the end that neither
    // the undo history nor the modified flag sees. Any change of the text (replace, undo,
    // redo) takes in the rest first, so that no edit meets a part of the text; setText and
    // another load drop the pieces not taken.
    void startLoading(PieceSource next);
    // Appends pieces until at least `bytes` more are in or they end; false once all are in.
    bool loadMore(std::size_t bytes);
    void finishLoading();
    bool loading() const;

    // The one choke point for every change: replaces [pos, pos + len) by bytes, recording
    // undo, updating the line index and notifying the listeners, in that order. pos and len
    // are clamped to the text. Replacing nothing by nothing changes nothing (a NotUndoable
    // one still empties the history, like emptyUndo()).
    void replace(std::size_t pos, std::size_t len, std::string_view bytes, EditKind kind);

    // True when replacing [pos, pos + len) by bytes (pos and len at character boundaries)
    // would pair a lead byte that stands alone with a byte it does not pair with now: a
    // lone lead byte just before pos with the first byte after the change, or a lone lead
    // byte ending bytes with the byte at pos + len. Such a change would turn bytes nobody
    // touched into another character; the editor refuses it.
    bool joinsLoneLead(std::size_t pos, std::size_t len, std::string_view bytes) const;

    // ---- character rules on the document's bytes (see cp932.h)
    std::size_t charLength(std::size_t pos) const;
    // Next/previous position where a caret may stand: a character boundary that is not
    // between the CR and the LF of a CR LF pair.
    std::size_t nextCaretPos(std::size_t pos) const;
    std::size_t prevCaretPos(std::size_t pos) const;
    std::size_t snapCaretPos(std::size_t pos) const;  // at or before pos

    // ---- hard lines (O(log lines); a position past the end counts as the end, a line
    // past the last gives npos, and a break length of 0)
    std::size_t lineCount() const;
    std::size_t lineOfPos(std::size_t pos) const;
    std::size_t lineStart(std::size_t line) const;
    std::size_t lineEnd(std::size_t line) const;  // position of the line's break (or length())
    std::size_t lineBreakLength(std::size_t line) const;  // 0, 1 or 2
    // The starts of lines [first, first + count) (all of them lines of the text) into out.
    void lineStarts(std::size_t first, std::size_t count, std::size_t* out) const;

    // ---- search: first match at a character start in [from, to), or npos (also for an
    // empty needle). The match lies wholly inside [from, to) and ends at a character
    // boundary. Each call costs the bytes it scans, not the bytes before from, so repeated
    // calls from increasing positions (replace all) stay linear.
    std::size_t find(std::string_view needle, std::size_t from, std::size_t to, unsigned flags) const;

    // ---- undo
    bool canUndo() const;
    bool canRedo() const;
    // Undo selects the text it restored (anchor at its start, caret at its end; a caret
    // where text was removed); redo puts the caret after what it reinserted.
    Range undo();  // no-op returning {0,0} when there is nothing to undo
    Range redo();  // likewise
    void emptyUndo();
    // Ends the current typing run: the next Typing change starts a new undo step.
    // The view calls it whenever the caret moves by other means than typing.
    void breakTyping();
    // Changes between beginGroup and endGroup undo as one step (nesting allowed).
    void beginGroup();
    void endGroup();

    // ---- modified flag: the save point of the history
    bool modified() const;
    void setModified(bool modified);

    // ---- what the text holds beyond the code page (stand_ins.h), kept for the document's
    // lifetime, and the line break that Enter, paste and the commands insert ("\r\n" for a
    // new document, "\n" or "\r" for a file that mostly has those)
    StandIns& standIns();
    const StandIns& standIns() const;
    std::string_view lineBreak() const;
    void setLineBreak(std::string_view lineBreak);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Turns every line break of text (CR LF, lone CR, lone LF) into lineBreak, or into CR LF.
std::string convertLineBreaks(std::string_view text, std::string_view lineBreak);
std::string toCrLf(std::string_view text);

// How many line breaks of each kind a text holds.
struct LineBreakCounts {
    std::size_t crLf = 0;
    std::size_t lf = 0;
    std::size_t cr = 0;
    // The kind most breaks are (CR LF on a tie with it, and for a text without breaks).
    std::string_view mostUsed() const;
};
LineBreakCounts countLineBreaks(std::string_view text);

}  // namespace verlo::text
