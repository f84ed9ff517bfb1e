#include "text/unicode_offsets.h"

#include <algorithm>

#include "text/codec.h"
#include "text/cp932.h"

namespace verlo::text {

namespace {

// Bytes of the reader's character at i: a CR LF break is one.
std::size_t stepAt(std::string_view s, std::size_t i) {
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') return 2;
    return cp932::charLength(s, i);
}

// After this byte a reader's character always starts, whatever follows.
bool endsStably(std::uint8_t b) { return cp932::endsCharacter(b) && b != '\r'; }

}  // namespace

std::u16string readerText(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::uint8_t b = static_cast<std::uint8_t>(bytes[i]);
        if (b == '\r' || b == '\n') {
            out += u'\n';
            i += stepAt(bytes, i);
            continue;
        }
        std::size_t n = 0;
        char32_t c = codec::decodeChar(bytes, i, &n);
        c = codec::isInvalidByteMark(c) ? U'\uFFFD' : codec::standsFor(c);
        out += static_cast<char16_t>(c);  // every character of the code page is in the BMP
        i += n;
    }
    return out;
}

std::size_t readerLength(std::string_view bytes) {
    std::size_t units = 0;
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n; ++units) {
        const std::uint8_t b = p[i];
        if (b < 0x80) {
            i += (b == '\r' && i + 1 < n && p[i + 1] == '\n') ? 2 : 1;
        } else {
            i += (cp932::isLeadByte(b) && i + 1 < n && cp932::isTrailByte(p[i + 1])) ? 2 : 1;
        }
    }
    return units;
}

UnicodeOffsets::UnicodeOffsets(const Document& doc, std::size_t chunkBytes)
    : doc_(doc), chunkBytes_(std::max<std::size_t>(chunkBytes, 2)) {}

bool UnicodeOffsets::stableAt(std::size_t pos) const {
    return pos == 0 || endsStably(doc_.byteAt(pos - 1));
}

void UnicodeOffsets::countInto(std::size_t from, std::size_t to, std::size_t unitBase,
                               std::vector<std::size_t>& bytes, std::vector<std::size_t>& units) const {
    // Read in pieces, so that counting the whole document never copies all of it at once.
    const std::size_t piece = std::max<std::size_t>(chunkBytes_ * 16, 1 << 16);
    std::size_t chunkFrom = from;
    std::size_t chunkUnits = 0;
    for (std::size_t at = from; at < to;) {
        // A piece ends where a character starts, so none straddles two pieces.
        std::size_t end = std::min(to, at + piece);
        while (end < to && !stableAt(end)) ++end;
        const std::string text = doc_.slice(at, end - at);
        for (std::size_t i = 0; i < text.size();) {
            i += stepAt(text, i);
            ++chunkUnits;
            const std::size_t pos = at + i;
            if (pos - chunkFrom >= chunkBytes_ && pos < to && endsStably(static_cast<std::uint8_t>(text[i - 1]))) {
                bytes.push_back(pos);
                units.push_back(unitBase += chunkUnits);
                chunkFrom = pos;
                chunkUnits = 0;
            }
        }
        at = end;
    }
    if (to > chunkFrom) {
        bytes.push_back(to);
        units.push_back(unitBase + chunkUnits);
    }
}

void UnicodeOffsets::build() {
    byteEnd_.clear();
    unitEnd_.clear();
    countInto(0, doc_.length(), 0, byteEnd_, unitEnd_);
    if (byteEnd_.empty()) {  // an empty text is one empty chunk
        byteEnd_.push_back(0);
        unitEnd_.push_back(0);
    }
    built_ = true;
}

void UnicodeOffsets::forget() {
    built_ = false;
    byteEnd_.clear();
    unitEnd_.clear();
}

std::size_t UnicodeOffsets::chunkAt(std::size_t pos) const {
    const auto it = std::upper_bound(byteEnd_.begin(), byteEnd_.end(), pos);
    return std::min<std::size_t>(static_cast<std::size_t>(it - byteEnd_.begin()), byteEnd_.size() - 1);
}

std::size_t UnicodeOffsets::count() {
    if (!built_) build();
    return unitEnd_.back();
}

std::size_t UnicodeOffsets::offsetOf(std::size_t pos) {
    if (!built_) build();
    pos = doc_.snapCaretPos(std::min(pos, doc_.length()));
    const std::size_t i = chunkAt(pos);
    const std::size_t from = chunkStart(i);
    return unitStart(i) + readerLength(doc_.slice(from, pos - from));
}

std::size_t UnicodeOffsets::posOf(std::size_t offset) {
    if (!built_) build();
    if (offset >= unitEnd_.back()) return doc_.length();
    const auto it = std::upper_bound(unitEnd_.begin(), unitEnd_.end(), offset);
    const std::size_t i = static_cast<std::size_t>(it - unitEnd_.begin());
    const std::size_t from = chunkStart(i);
    const std::string bytes = doc_.slice(from, byteEnd_[i] - from);
    std::size_t pos = 0;
    for (std::size_t units = offset - unitStart(i); units > 0; --units) pos += stepAt(bytes, pos);
    return from + pos;
}

void UnicodeOffsets::changeSpan(std::size_t pos, std::size_t len, std::size_t* from, std::size_t* to) const {
    const std::size_t n = doc_.length();
    pos = std::min(pos, n);
    len = std::min(len, n - pos);
    std::size_t a = pos;
    while (!stableAt(a)) --a;
    // The byte before the end must be one the change leaves alone.
    std::size_t b = pos + len;
    if (b < n) {
        ++b;
        while (b < n && !stableAt(b)) ++b;
    }
    *from = a;
    *to = b;
}

void UnicodeOffsets::documentChanged(const Change& c) {
    if (!built_) return;
    // The chunks from the one holding pos to the one holding the byte after the removed
    // bytes are counted again; their outer ends stay where characters start (the bytes
    // before them are untouched, and the byte before the far end too, or it is the end).
    const std::size_t first = chunkAt(c.pos);
    std::size_t last = chunkAt(c.pos + c.removed);
    const std::size_t from = chunkStart(first);
    // A chunk left small takes its neighbour along, so chunks do not crumble under edits.
    if (last + 1 < byteEnd_.size() && byteEnd_[last] + c.inserted - c.removed - from < chunkBytes_ / 2) ++last;
    const std::size_t oldUnits = unitEnd_[last] - unitStart(first);
    const std::size_t newTo = byteEnd_[last] + c.inserted - c.removed;

    std::vector<std::size_t> bytes;
    std::vector<std::size_t> units;
    countInto(from, newTo, unitStart(first), bytes, units);
    const std::size_t newUnits = (units.empty() ? unitStart(first) : units.back()) - unitStart(first);

    const std::ptrdiff_t byteShift = static_cast<std::ptrdiff_t>(c.inserted) - static_cast<std::ptrdiff_t>(c.removed);
    const std::ptrdiff_t unitShift = static_cast<std::ptrdiff_t>(newUnits) - static_cast<std::ptrdiff_t>(oldUnits);
    for (std::size_t i = last + 1; i < byteEnd_.size(); ++i) {
        byteEnd_[i] = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(byteEnd_[i]) + byteShift);
        unitEnd_[i] = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(unitEnd_[i]) + unitShift);
    }
    const auto at = static_cast<std::ptrdiff_t>(first);
    const auto past = static_cast<std::ptrdiff_t>(last + 1);
    byteEnd_.erase(byteEnd_.begin() + at, byteEnd_.begin() + past);
    byteEnd_.insert(byteEnd_.begin() + at, bytes.begin(), bytes.end());
    unitEnd_.erase(unitEnd_.begin() + at, unitEnd_.begin() + past);
    unitEnd_.insert(unitEnd_.begin() + at, units.begin(), units.end());
    if (byteEnd_.empty()) {
        byteEnd_.push_back(0);
        unitEnd_.push_back(0);
    }
}

}  // namespace verlo::text
