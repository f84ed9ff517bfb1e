#include "counts/manuscript.h"

#include <cstdint>

#include "text/cp932.h"

namespace verlo::counts {

namespace {

constexpr std::uint16_t code(std::string_view s, std::size_t at, std::size_t len) {
    return len == 2 ? static_cast<std::uint16_t>(static_cast<std::uint8_t>(s[at]) << 8 | static_cast<std::uint8_t>(s[at + 1]))
                    : static_cast<std::uint8_t>(s[at]);
}

// 、 。 and their half-width forms.
bool isStop(std::uint16_t c) { return c == 0x8141 || c == 0x8142 || c == 0xA1 || c == 0xA4; }

// ’ ” ） 〕 ］ ｝ 〉 》 」 』 】, and ) ] } ｣.
bool isCloser(std::uint16_t c) {
    switch (c) {
    case 0x8166: case 0x8168: case 0x816A: case 0x816C: case 0x816E: case 0x8170:
    case 0x8172: case 0x8174: case 0x8176: case 0x8178: case 0x817A:
    case ')': case ']': case '}': case 0xA3:
        return true;
    default:
        return false;
    }
}

bool isDigit(std::uint16_t c) { return c >= '0' && c <= '9'; }

}  // namespace

std::size_t manuscriptLines(std::string_view s) {
    std::size_t lines = 1;
    std::size_t cells = 0;     // cells filled on the current line
    bool halfDigit = false;    // the last cell holds one half-width digit and has room for another
    bool mayHang = false;      // the last character was a 、 or 。 or a closer after one
    for (std::size_t at = 0; at < s.size();) {
        const std::size_t len = text::cp932::charLength(s, at);
        const std::uint16_t c = code(s, at, len);
        at += len;
        if (halfDigit && isDigit(c)) {
            halfDigit = false;
            mayHang = false;
            continue;
        }
        const bool hangs = isStop(c) || (mayHang && isCloser(c));
        halfDigit = false;
        mayHang = hangs;
        if (cells == kManuscriptColumns) {
            if (hangs) continue;
            ++lines;
            cells = 0;
        }
        ++cells;
        halfDigit = isDigit(c);
    }
    return lines;
}

ManuscriptPages manuscriptPages(std::size_t lines) {
    ManuscriptPages p;
    // A tenth of a sheet is two lines.
    p.tenths = (lines + 1) / 2;
    p.linesOnLastPage = lines == 0 ? 0 : (lines - 1) % kManuscriptRows + 1;
    return p;
}

}  // namespace verlo::counts
