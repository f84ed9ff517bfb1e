#include "print/cff_charset.h"

#include <optional>

namespace verlo::print {
namespace {

// Reads big-endian numbers from a table, every read checked against its end.
class Reader {
public:
    explicit Reader(std::string_view data) : data_(data) {}
    std::optional<std::uint32_t> number(std::size_t at, int bytes) const {
        if (bytes < 1 || bytes > 4 || at > data_.size() || data_.size() - at < static_cast<std::size_t>(bytes))
            return std::nullopt;
        std::uint32_t v = 0;
        for (int i = 0; i < bytes; ++i) v = v << 8 | static_cast<std::uint8_t>(data_[at + i]);
        return v;
    }
    std::size_t size() const { return data_.size(); }

private:
    std::string_view data_;
};

// An INDEX at `at`: where its first piece of data starts and ends, and where the next
// structure begins.
struct Index {
    std::size_t firstStart = 0, firstEnd = 0, end = 0;
    std::uint32_t count = 0;
};

std::optional<Index> indexAt(const Reader& r, std::size_t at) {
    const auto count = r.number(at, 2);
    if (!count) return std::nullopt;
    Index index;
    index.count = *count;
    if (*count == 0) {
        index.end = at + 2;
        return index;
    }
    const auto offSize = r.number(at + 2, 1);
    if (!offSize || *offSize < 1 || *offSize > 4) return std::nullopt;
    const std::size_t offsets = at + 3;
    const std::size_t base = offsets + (*count + 1) * *offSize - 1;  // offsets count from 1
    const auto first = r.number(offsets, static_cast<int>(*offSize));
    const auto second = r.number(offsets + *offSize, static_cast<int>(*offSize));
    const auto last = r.number(offsets + *count * *offSize, static_cast<int>(*offSize));
    if (!first || !second || !last || *first > *second || *second > *last || base + *last > r.size()) return std::nullopt;
    index.firstStart = base + *first;
    index.firstEnd = base + *second;
    index.end = base + *last;
    return index;
}

// The operands the top dictionary gives the charset (15) and the glyph programs (17), and
// whether it names a registry, ordering and supplement (12 30), which makes the font CID-keyed.
struct TopDict {
    std::optional<long> charset, charStrings;
    bool cidKeyed = false;
};

std::optional<TopDict> topDictAt(const Reader& r, std::size_t at, std::size_t end) {
    TopDict dict;
    long operand = 0;
    while (at < end) {
        const std::uint32_t b0 = *r.number(at, 1);
        if (b0 == 28 || b0 == 29) {
            const int bytes = b0 == 28 ? 2 : 4;
            const auto v = r.number(at + 1, bytes);
            if (!v) return std::nullopt;
            operand = bytes == 2 ? static_cast<std::int16_t>(*v) : static_cast<std::int32_t>(*v);
            at += 1 + bytes;
        } else if (b0 == 30) {  // a real number: nibbles up to one of 0xF
            ++at;
            while (at < end && (*r.number(at, 1) & 0x0F) != 0x0F && (*r.number(at, 1) & 0xF0) != 0xF0) ++at;
            ++at;
            operand = 0;
        } else if (b0 >= 32 && b0 <= 246) {
            operand = static_cast<long>(b0) - 139;
            ++at;
        } else if (b0 >= 247 && b0 <= 254) {
            const auto b1 = r.number(at + 1, 1);
            if (!b1) return std::nullopt;
            operand = b0 <= 250 ? (static_cast<long>(b0) - 247) * 256 + *b1 + 108
                                : -(static_cast<long>(b0) - 251) * 256 - static_cast<long>(*b1) - 108;
            at += 2;
        } else if (b0 == 12) {
            const auto b1 = r.number(at + 1, 1);
            if (!b1) return std::nullopt;
            if (*b1 == 30) dict.cidKeyed = true;
            at += 2;
        } else {
            if (b0 == 15) dict.charset = operand;
            if (b0 == 17) dict.charStrings = operand;
            ++at;
        }
    }
    return dict;
}

}  // namespace

std::vector<std::uint16_t> cffGlyphCids(std::string_view cff) {
    const Reader r(cff);
    const auto headerSize = r.number(2, 1);
    if (!headerSize) return {};
    const auto names = indexAt(r, *headerSize);
    if (!names) return {};
    const auto tops = indexAt(r, names->end);
    if (!tops || tops->count == 0) return {};
    const auto top = topDictAt(r, tops->firstStart, tops->firstEnd);
    if (!top || !top->cidKeyed || !top->charset || !top->charStrings || *top->charset <= 2 || *top->charStrings <= 0)
        return {};
    const auto glyphs = indexAt(r, static_cast<std::size_t>(*top->charStrings));
    if (!glyphs || glyphs->count == 0) return {};

    std::vector<std::uint16_t> cids(glyphs->count, 0);
    std::size_t at = static_cast<std::size_t>(*top->charset);
    const auto format = r.number(at++, 1);
    if (!format) return {};
    std::size_t gid = 1;
    while (gid < cids.size()) {
        if (*format == 0) {
            const auto cid = r.number(at, 2);
            if (!cid) return {};
            cids[gid++] = static_cast<std::uint16_t>(*cid);
            at += 2;
        } else if (*format == 1 || *format == 2) {
            const int leftBytes = *format == 1 ? 1 : 2;
            const auto first = r.number(at, 2);
            const auto left = r.number(at + 2, leftBytes);
            if (!first || !left) return {};
            for (std::uint32_t k = 0; k <= *left && gid < cids.size(); ++k)
                cids[gid++] = static_cast<std::uint16_t>(*first + k);
            at += 2 + leftBytes;
        } else {
            return {};
        }
    }
    return cids;
}

}  // namespace verlo::print
