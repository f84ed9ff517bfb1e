#include "text/search.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "text/block_bytes.h"
#include "text/byte_scan.h"
#include "text/cp932.h"
#include "text/document.h"

namespace verlo::text {
namespace {

constexpr bool isAsciiLetter(std::uint8_t b) { return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z'); }

// What the matcher needs to know of the needle.
struct Needle {
    const std::uint8_t* bytes;
    std::size_t size;
    std::vector<bool> folds;    // byte i is a one-byte Latin letter compared without case
    bool anyFold = false;
    bool endsWithLoneLead = false;  // its last character is a lead byte standing alone
    std::size_t anchor = 0;         // index of the byte the scan looks for
    std::uint8_t anchorA = 0, anchorB = 0;

    Needle(std::string_view s, bool matchCase)
        : bytes(reinterpret_cast<const std::uint8_t*>(s.data())), size(s.size()), folds(s.size(), false) {
        std::size_t last = 0;
        for (std::size_t i = 0; i < size; i += cp932::charLength(s, i)) {
            last = i;
            if (!matchCase && cp932::charLength(s, i) == 1 && isAsciiLetter(bytes[i])) folds[i] = anyFold = true;
        }
        endsWithLoneLead = cp932::charLength(s, last) == 1 && cp932::isLeadByte(bytes[last]);
        // Scan for the last byte that is compared exactly (trail bytes are more varied
        // than lead bytes); for an all-letter needle, for either case of its first letter.
        anchor = size;
        for (std::size_t i = size; i-- > 0;)
            if (!folds[i]) {
                anchor = i;
                break;
            }
        if (anchor == size) {
            anchor = 0;
            anchorA = bytes[0] | 0x20;
            anchorB = bytes[0] & ~0x20;
        } else {
            anchorA = anchorB = bytes[anchor];
        }
    }

    // Does the needle match at p? run is a run of the text that may hold the match whole.
    template <class Text>
    bool matchesAt(const Text& text, std::size_t p, const ByteRun& run) const {
        if (p >= run.begin && p + size <= run.end) {
            const std::uint8_t* t = run.data + (p - run.begin);
            if (!anyFold) return std::memcmp(t, bytes, size) == 0;
            for (std::size_t i = 0; i < size; ++i)
                if (folds[i] ? (t[i] | 0x20) != (bytes[i] | 0x20) : t[i] != bytes[i]) return false;
            return true;
        }
        for (std::size_t i = 0; i < size; ++i) {
            const std::uint8_t t = text.at(p + i);
            if (folds[i] ? (t | 0x20) != (bytes[i] | 0x20) : t != bytes[i]) return false;
        }
        return true;
    }
};

// The two pieces of TextParts as runs.
struct TwoPieces {
    const TextParts& parts;
    std::size_t size() const { return parts.size(); }
    std::uint8_t at(std::size_t i) const { return parts.at(i); }
    ByteRun runAt(std::size_t pos) const {
        if (pos < parts.frontSize) return {parts.front, 0, parts.frontSize};
        return {parts.back, parts.frontSize, parts.size()};
    }
};

// Tells whether candidate positions, asked in ascending order, are character starts.
template <class Text>
class StartFinder {
public:
    explicit StartFinder(const Text& text) : text_(text) {}

    bool isStart(std::size_t p) {
        const auto at = [this](std::size_t i) { return text_.at(i); };
        // known_ <= p is a start (candidates ascend); walk back at most to it.
        std::size_t k = p;
        while (k > known_ && cp932::isLeadByte(text_.at(k - 1))) --k;
        while (k < p) k += cp932::charLengthAt(at, text_.size(), k);
        known_ = k;
        return k == p;
    }

private:
    const Text& text_;
    std::size_t known_ = 0;
};

// Text: size(), at(i) and runAt(pos) (the run of bytes in memory that holds pos).
template <class Text>
std::size_t findIn(const Text& text, std::string_view needleBytes, std::size_t from, std::size_t to, unsigned flags) {
    const std::size_t size = text.size();
    if (to > size) to = size;
    if (needleBytes.empty() || from >= to || to - from < needleBytes.size()) return npos;
    const Needle needle(needleBytes, (flags & FindMatchCase) != 0);
    const bool wholeWord = (flags & FindWholeWord) != 0;
    const auto at = [&text](std::size_t i) { return text.at(i); };
    StartFinder<Text> starts(text);

    const auto accept = [&](std::size_t p, const ByteRun& run) {
        if (!needle.matchesAt(text, p, run) || !starts.isStart(p)) return false;
        const std::size_t end = p + needle.size;
        if (needle.endsWithLoneLead && end < size && cp932::isTrailByte(text.at(end))) return false;
        if (wholeWord) {
            // A word byte is never a lead byte, so it is a one-byte character when it
            // starts one; the byte before p may be a trail byte, hence the walk back.
            if (p > 0 && isWordByte(text.at(cp932::prevBoundaryAt(at, size, p)))) return false;
            if (end < size && isWordByte(text.at(end))) return false;
        }
        return true;
    };

    // Anchor positions q = p + anchor for p in [from, to - size], run by run.
    const std::size_t qEnd = to - needle.size + needle.anchor + 1;
    for (std::size_t q = from + needle.anchor; q < qEnd;) {
        const ByteRun run = text.runAt(q);
        const std::size_t e = std::min(qEnd, run.end);
        const std::uint8_t* const last = run.data + (e - run.begin);
        for (const std::uint8_t* hit = run.data + (q - run.begin);
             (hit = findEither(hit, last, needle.anchorA, needle.anchorB)) != last; ++hit) {
            const std::size_t p = run.begin + static_cast<std::size_t>(hit - run.data) - needle.anchor;
            if (accept(p, run)) return p;
        }
        q = e;
    }
    return npos;
}

}  // namespace

std::size_t findInText(const TextParts& text, std::string_view needle, std::size_t from, std::size_t to,
                       unsigned flags) {
    return findIn(TwoPieces{text}, needle, from, to, flags);
}

std::size_t findInText(const BlockBytes& text, std::string_view needle, std::size_t from, std::size_t to,
                       unsigned flags) {
    return findIn(text, needle, from, to, flags);
}

}  // namespace verlo::text
