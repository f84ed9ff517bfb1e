#include "text/document.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <vector>

#include "text/block_bytes.h"
#include "text/byte_scan.h"
#include "text/cp932.h"
#include "text/line_index.h"
#include "text/search.h"
#include "text/undo_history.h"

namespace verlo::text {

struct Document::Impl {
    explicit Impl(const StorageShape& shape) : bytes(shape.blockBytes), lines(shape.blockLines) {}

    BlockBytes bytes;
    LineIndex lines;
    UndoHistory history;
    StandIns standIns;
    std::string lineBreak = "\r\n";
    std::vector<DocumentListener*> listeners;
    std::uint64_t revision = 0;
    std::vector<std::size_t> addedStarts;  // scratch of apply()
    PieceSource rest;  // the pieces of a text being loaded not taken in yet

    std::uint8_t at(std::size_t i) const { return static_cast<std::uint8_t>(bytes.at(i)); }
    auto accessor() const {
        return [this](std::size_t i) { return at(i); };
    }

    // After the change: is s (0 < s <= size) a line start? It is when the byte before is
    // LF, or CR not followed by LF.
    bool isLineStart(std::size_t s) const {
        const std::uint8_t before = at(s - 1);
        return before == '\n' || (before == '\r' && (s == bytes.size() || at(s) != '\n'));
    }

    // Applies a change to the bytes and the line index, then tells the listener.
    void apply(std::size_t pos, std::size_t len, std::string_view in) {
        Change change;
        change.pos = pos;
        change.removed = len;
        change.inserted = in.size();

        // Old line starts in [pos, pos + len] depend on changed bytes; line 0 never does.
        std::size_t first = pos == 0 ? 1 : lines.upperBound(pos - 1);
        const std::size_t past = lines.upperBound(pos + len);
        const bool startedAtPos = first < past && lines.start(first) == pos;
        willChange(pos, len);

        if (pos == 0 && len == bytes.size()) {
            bytes.assign(in.data(), in.size());
        } else {
            bytes.erase(pos, len);
            bytes.insert(pos, in.data(), in.size());
        }

        // New line starts in [pos, pos + in.size()].
        addedStarts.clear();
        if (pos > 0 && isLineStart(pos)) addedStarts.push_back(pos);
        const auto* data = reinterpret_cast<const std::uint8_t*>(in.data());
        const auto* end = data + in.size();
        for (const auto* p = data; (p = findEither(p, end, '\r', '\n')) != end; ++p) {
            const std::size_t s = pos + static_cast<std::size_t>(p - data) + 1;
            if (*p == '\n' || (p + 1 < end ? p[1] != '\n' : isLineStart(s))) addedStarts.push_back(s);
        }

        // A start at pos that stays is not a change of lines.
        std::size_t skip = 0;
        if (startedAtPos && !addedStarts.empty() && addedStarts[0] == pos) {
            ++first;
            skip = 1;
        }
        change.firstLine = first - 1;
        change.linesRemoved = past - first;
        change.linesAdded = addedStarts.size() - skip;
        change.whole = wholeChange;
        lines.replaceStarts(first, change.linesRemoved, addedStarts.data() + skip, change.linesAdded,
                            in.size() - len);
        changed(change);
    }

    // Listeners may come and go while they are told (a view closed by a change's watcher):
    // each is told from a copy of the list.
    void willChange(std::size_t pos, std::size_t len) {
        if (listeners.empty()) return;
        const std::vector<DocumentListener*> told = listeners;
        for (DocumentListener* l : told) l->documentWillChange(pos, len);
    }
    void changed(const Change& change) {
        ++revision;
        if (listeners.empty()) return;
        const std::vector<DocumentListener*> told = listeners;
        for (DocumentListener* l : told) l->documentChanged(change);
    }
    void loaded() {
        const std::vector<DocumentListener*> told = listeners;
        for (DocumentListener* l : told) l->documentLoaded();
    }
    // A whole text given anew, told as such even when it changed nothing.
    void whole(const std::function<void()>& give) {
        wholeChange = true;
        const std::uint64_t before = revision;
        give();
        wholeChange = false;
        if (revision == before) {
            Change nothing;
            nothing.whole = true;
            changed(nothing);
        }
    }
    bool wholeChange = false;  // the change under way gives the whole text anew

    // apply() for the whole text, its replacement given in pieces (the first already read).
    void load(std::string_view piece, const PieceSource& next) {
        Change change;
        change.removed = bytes.size();
        const std::size_t past = lines.upperBound(bytes.size());
        willChange(0, change.removed);
        bytes.assign(nullptr, 0);
        addedStarts.clear();
        std::size_t pos = 0;
        bool crAtEnd = false;  // the last piece ended with CR: a line starts after it unless LF follows
        for (; !piece.empty(); piece = next(standIns)) {
            const auto* data = reinterpret_cast<const std::uint8_t*>(piece.data());
            const auto* end = data + piece.size();
            if (crAtEnd && data[0] != '\n') addedStarts.push_back(pos);
            for (const auto* p = data; (p = findEither(p, end, '\r', '\n')) != end; ++p) {
                if (*p == '\n' || (p + 1 < end && p[1] != '\n'))
                    addedStarts.push_back(pos + static_cast<std::size_t>(p - data) + 1);
            }
            crAtEnd = end[-1] == '\r';
            bytes.append(piece.data(), piece.size());
            pos += piece.size();
        }
        if (crAtEnd) addedStarts.push_back(pos);
        change.inserted = pos;
        change.firstLine = 0;
        change.linesRemoved = past - 1;
        change.linesAdded = addedStarts.size();
        lines.replaceStarts(1, change.linesRemoved, addedStarts.data(), change.linesAdded, pos - change.removed);
        addedStarts = {};
        change.whole = wholeChange;
        changed(change);
    }
};

Document::Document() : Document(StorageShape{}) {}
Document::Document(StorageShape shape) : d(std::make_unique<Impl>(shape)) {}
Document::~Document() = default;

void Document::addListener(DocumentListener* listener) { d->listeners.push_back(listener); }

void Document::removeListener(DocumentListener* listener) { std::erase(d->listeners, listener); }

std::uint64_t Document::revision() const { return d->revision; }

std::size_t Document::length() const { return d->bytes.size(); }

std::uint8_t Document::byteAt(std::size_t pos) const { return pos < length() ? d->at(pos) : 0; }

std::string Document::text() const { return slice(0, length()); }

std::string Document::slice(std::size_t pos, std::size_t len) const {
    std::string out(std::min(len, length() - std::min(pos, length())), '\0');
    copy(pos, len, out.data());
    return out;
}

std::size_t Document::copy(std::size_t pos, std::size_t len, char* out) const {
    pos = std::min(pos, length());
    len = std::min(len, length() - pos);
    d->bytes.copy(pos, len, out);
    return len;
}

std::string_view Document::view(std::size_t pos, std::size_t len) {
    pos = std::min(pos, length());
    len = std::min(len, length() - pos);
    return {d->bytes.contiguous(pos, len), len};
}

void Document::setText(std::string_view bytes) {
    d->rest = nullptr;
    d->whole([&] { replace(0, length(), bytes, EditKind::NotUndoable); });
}

void Document::loadText(const PieceSource& next) {
    d->rest = nullptr;
    d->history.forgetAll();
    d->whole([&] {
        const std::string_view first = next(d->standIns);
        if (first.empty() && length() == 0) return;
        d->load(first, next);
    });
}

void Document::startLoading(PieceSource next) {
    d->rest = nullptr;
    d->history.forgetAll();
    d->whole([&] {
        const std::string_view first = next(d->standIns);
        if (first.empty() && length() == 0) return;
        d->load(first, [](StandIns&) { return std::string_view(); });
        if (!first.empty()) d->rest = std::move(next);
    });
}

bool Document::loadMore(std::size_t bytes) {
    for (std::size_t in = 0; d->rest && in < bytes;) {
        const std::string_view piece = d->rest(d->standIns);
        if (piece.empty()) {
            d->rest = nullptr;
            d->loaded();
            break;
        }
        d->apply(length(), 0, piece);
        in += piece.size();
    }
    return loading();
}

void Document::finishLoading() { loadMore(npos); }

bool Document::loading() const { return d->rest != nullptr; }

void Document::replace(std::size_t pos, std::size_t len, std::string_view bytes, EditKind kind) {
    finishLoading();
    pos = std::min(pos, length());
    len = std::min(len, length() - pos);
    if (len == 0 && bytes.empty()) {
        // Nothing changes; a not-undoable "change" still empties the history.
        if (kind == EditKind::NotUndoable) d->history.empty();
        return;
    }
    if (kind == EditKind::NotUndoable) d->history.forgetAll();
    else d->history.record(pos, slice(pos, len), bytes, kind);
    d->apply(pos, len, bytes);
}

bool Document::joinsLoneLead(std::size_t pos, std::size_t len, std::string_view bytes) const {
    using cp932::isLeadByte;
    using cp932::isTrailByte;
    pos = std::min(pos, length());
    const std::size_t after = pos + std::min(len, length() - pos);
    if (after == pos && bytes.empty()) return false;
    const auto lone = [](std::uint8_t b, std::size_t charLen) { return charLen == 1 && isLeadByte(b); };
    if (!bytes.empty() && after < length() && isTrailByte(d->at(after))) {
        const std::size_t last = cp932::prevBoundary(bytes, bytes.size());
        if (lone(static_cast<std::uint8_t>(bytes[last]), bytes.size() - last)) return true;
    }
    if (pos == 0) return false;
    if (bytes.empty() && after == length()) return false;  // nothing follows the change
    const std::uint8_t next = bytes.empty() ? d->at(after) : static_cast<std::uint8_t>(bytes[0]);
    // The character before pos (not the caret position: pos may stand inside a CR LF pair).
    const std::size_t prev = cp932::prevBoundaryAt(d->accessor(), length(), pos, d->lines.start(d->lines.lineOf(pos - 1)));
    return lone(d->at(prev), charLength(prev)) && isTrailByte(next);
}

// ---- character rules

std::size_t Document::charLength(std::size_t pos) const {
    return cp932::charLengthAt(d->accessor(), length(), pos);
}

std::size_t Document::nextCaretPos(std::size_t pos) const {
    pos = snapCaretPos(pos);
    if (pos >= length()) return length();
    if (d->at(pos) == '\r' && pos + 1 < length() && d->at(pos + 1) == '\n') return pos + 2;
    return pos + charLength(pos);
}

std::size_t Document::prevCaretPos(std::size_t pos) const {
    pos = snapCaretPos(pos);
    if (pos == 0) return 0;
    if (d->at(pos - 1) == '\n' && pos >= 2 && d->at(pos - 2) == '\r') return pos - 2;
    const std::size_t floor = d->lines.start(d->lines.lineOf(pos - 1));
    return cp932::prevBoundaryAt(d->accessor(), length(), pos, floor);
}

std::size_t Document::snapCaretPos(std::size_t pos) const {
    const std::size_t n = length();
    if (pos >= n) return n;
    // A line start is always a character start: walk back no further than it.
    const std::size_t floor = d->lines.start(d->lines.lineOf(pos));
    std::size_t p = cp932::snapBackAt(d->accessor(), n, pos, floor);
    if (p > 0 && d->at(p) == '\n' && d->at(p - 1) == '\r') --p;
    return p;
}

// ---- hard lines

std::size_t Document::lineCount() const { return d->lines.lineCount(); }

std::size_t Document::lineOfPos(std::size_t pos) const { return d->lines.lineOf(std::min(pos, length())); }

std::size_t Document::lineStart(std::size_t line) const {
    return line < lineCount() ? d->lines.start(line) : npos;
}

std::size_t Document::lineEnd(std::size_t line) const {
    if (line >= lineCount()) return npos;
    if (line + 1 == lineCount()) return length();
    return d->lines.start(line + 1) - lineBreakLength(line);
}

void Document::lineStarts(std::size_t first, std::size_t count, std::size_t* out) const {
    d->lines.copyStarts(first, count, out);
}

std::size_t Document::lineBreakLength(std::size_t line) const {
    if (line + 1 >= lineCount()) return 0;
    const std::size_t next = d->lines.start(line + 1);
    if (d->at(next - 1) == '\n' && next >= 2 && d->at(next - 2) == '\r') return 2;
    return 1;
}

// ---- search

std::size_t Document::find(std::string_view needle, std::size_t from, std::size_t to, unsigned flags) const {
    return findInText(d->bytes, needle, from, to, flags);
}

// ---- undo

bool Document::canUndo() const { return d->history.canUndo(); }
bool Document::canRedo() const { return d->history.canRedo(); }

Range Document::undo() {
    finishLoading();
    const UndoStep step = d->history.takeUndo();
    Range range;
    for (auto it = step.rbegin(); it != step.rend(); ++it) {
        d->apply(it->pos, it->inserted.size(), it->removed);
        range = {it->pos, it->pos + it->removed.size()};
    }
    return range;
}

Range Document::redo() {
    finishLoading();
    const UndoStep step = d->history.takeRedo();
    Range range;
    for (const UndoAction& action : step) {
        d->apply(action.pos, action.removed.size(), action.inserted);
        range.anchor = range.caret = action.pos + action.inserted.size();
    }
    return range;
}

void Document::emptyUndo() { d->history.empty(); }
void Document::breakTyping() { d->history.breakTyping(); }
void Document::beginGroup() { d->history.beginGroup(); }
void Document::endGroup() { d->history.endGroup(); }

bool Document::modified() const { return d->history.modified(); }
void Document::setModified(bool modified) { d->history.setModified(modified); }

// ---- line breaks

StandIns& Document::standIns() { return d->standIns; }
const StandIns& Document::standIns() const { return d->standIns; }
std::string_view Document::lineBreak() const { return d->lineBreak; }
void Document::setLineBreak(std::string_view lineBreak) { d->lineBreak = lineBreak; }

std::string convertLineBreaks(std::string_view text, std::string_view lineBreak) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += lineBreak;
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += lineBreak;
        } else {
            out += c;
        }
    }
    return out;
}

std::string toCrLf(std::string_view text) { return convertLineBreaks(text, "\r\n"); }

LineBreakCounts countLineBreaks(std::string_view text) {
    if (text.empty()) return {};  // an empty piece may have no data at all, which memchr must not see
    // Every LF, and every CR: a CR LF pair is counted by both.
    std::size_t lf = 0;
    std::size_t cr = 0;
    std::size_t pairs = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))); ++p) {
        ++lf;
        if (p > begin && p[-1] == '\r') ++pairs;
    }
    for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)))); ++p)
        ++cr;
    return LineBreakCounts{pairs, lf - pairs, cr - pairs};
}

std::string_view LineBreakCounts::mostUsed() const {
    if (lf > crLf && lf >= cr) return "\n";
    if (cr > crLf && cr > lf) return "\r";
    return "\r\n";
}

}  // namespace verlo::text
