#include "edit/document_text.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "text/byte_scan.h"
#include "text/codec.h"

namespace verlo::edit {

namespace {

constexpr std::size_t kPiece = 1 << 20;

// The first CR or LF in bytes at or after `at` (bytes.size() when none). (find_first_of
// would call memchr on the two-byte set once per byte of the text: that was most of the
// time a copy of everything took.)
std::size_t nextBreak(std::string_view bytes, std::size_t at) {
    const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes.data());
    return static_cast<std::size_t>(text::findEither(begin + at, begin + bytes.size(), '\r', '\n') - begin);
}

// Decodes bytes to w, each line break as LF; returns the end of what it wrote.
char16_t* decodeWithLf(std::string_view bytes, char16_t* w) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = nextBreak(bytes, at);
        w = text::codec::decodeUtf16Into(bytes.substr(at, end - at), w);
        if (end == bytes.size()) break;
        *w++ = u'\n';
        at = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
    }
    return w;
}

char16_t* decodePiece(std::string_view bytes, char16_t* w, bool lf) {
    return lf ? decodeWithLf(bytes, w) : text::codec::decodeUtf16Into(bytes, w);
}

// Room for the most bytes can decode to (a unit a byte at most): the pages of it that are
// never written are never touched.
QString roomFor(std::size_t bytes) {
    QString out;
    out.resize(static_cast<qsizetype>(bytes));
    return out;
}

}  // namespace

QString decodedText(std::string_view bytes, bool lf) {
    QString out = roomFor(bytes.size());
    char16_t* const begin = reinterpret_cast<char16_t*>(out.data());
    out.resize(decodePiece(bytes, begin, lf) - begin);
    return out;
}

QString documentText(const text::Document& doc, std::size_t from, std::size_t to, bool lf) {
    to = std::min(to, doc.length());
    if (from >= to) return {};
    if (!doc.standIns().empty()) {  // a stand-in may stand for several characters
        std::string bytes = doc.slice(from, to - from);
        if (lf) bytes = text::convertLineBreaks(bytes, "\n");
        const std::u16string s = doc.standIns().decodeUtf16(bytes);
        return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
    }
    QString out = roomFor(to - from);
    char16_t* const begin = reinterpret_cast<char16_t*>(out.data());
    char16_t* w = begin;
    std::string piece;
    for (std::size_t pos = from; pos < to;) {
        std::size_t end = to;
        if (to - pos > kPiece) {
            end = doc.snapCaretPos(pos + kPiece);  // never inside a character or a CR LF pair
            if (end <= pos) end = to;
        }
        piece = doc.slice(pos, end - pos);
        w = decodePiece(piece, w, lf);
        pos = end;
    }
    out.resize(w - begin);
    return out;
}

}  // namespace verlo::edit
