#include "files/text_stream.h"

#include <algorithm>
#include <cerrno>
#include <sys/types.h>
#include <unistd.h>

#include "files/file_io.h"
#include "files/text_file.h"
#include "text/stand_ins.h"

namespace verlo::files {

namespace {

constexpr char32_t kZeroWidthJoiner = 0x200D;
constexpr char32_t kByteOrderMark = 0xFEFF;  // would be taken for a mark at the start of a piece

bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

void addRefused(std::u32string& all, const std::u32string& more) {
    for (char32_t c : more)
        if (all.find(c) == std::u32string::npos) all.push_back(c);
}

// Whether a piece of CP932 may end after s[p - 1]: a byte below 0x40 is neither the lead nor
// the trail of a pair, so a character starts after it.
bool cp932CutBefore(std::string_view s, std::size_t p) { return static_cast<unsigned char>(s[p - 1]) < 0x40; }

// UTF-8: at the start of a character that does not stay with the one before, which is not a
// zero-width joiner; never before a character that reads as a byte-order mark.
bool utf8CutBefore(std::string_view s, std::size_t p) {
    const auto* b = reinterpret_cast<const unsigned char*>(s.data());
    // A continuation byte that no lead byte in the three before can take stands alone.
    if (isContinuation(b[p])) return p >= 3 && b[p - 1] < 0xC0 && b[p - 2] < 0xC0 && b[p - 3] < 0xC0;
    if (p >= 3 && b[p - 3] == 0xE2 && b[p - 2] == 0x80 && b[p - 1] == 0x8D) return false;
    if (b[p] < 0x80) return true;
    const std::size_t len = b[p] >= 0xF0 ? 4 : b[p] >= 0xE0 ? 3 : 2;
    if (p + len > s.size()) return false;
    const std::string_view ch = s.substr(p, len);
    bool multi = false;
    if (!isStrictUtf8(ch, &multi)) return true;  // bytes that are not text stand alone
    char32_t c = b[p] & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
    for (std::size_t k = 1; k < len; ++k) c = c << 6 | (b[p + k] & 0x3F);
    return c != kByteOrderMark && !text::staysWithPrevious(c);
}

bool utf16CutBefore(std::string_view s, std::size_t p, bool bigEndian) {
    if (p % 2 || p < 2 || p + 2 > s.size()) return false;
    auto unit = [&](std::size_t at) -> char32_t {
        const auto hi = static_cast<unsigned char>(s[at + (bigEndian ? 0 : 1)]);
        const auto lo = static_cast<unsigned char>(s[at + (bigEndian ? 1 : 0)]);
        return static_cast<char32_t>(hi << 8 | lo);
    };
    const char32_t u = unit(p);
    return !(u >= 0xD800 && u <= 0xDFFF) && u != kByteOrderMark && !text::staysWithPrevious(u) &&
           unit(p - 2) != kZeroWidthJoiner;
}

// EUC-JP: after a line feed, before anything but the three-byte and half-width forms.
bool eucCutBefore(std::string_view s, std::size_t p) {
    const auto b = static_cast<unsigned char>(s[p]);
    return s[p - 1] == '\n' && b != 0x8E && b != 0x8F;
}

}  // namespace

// ---- EncodingScan

int EncodingScan::bom() const {
    const std::string_view h = head_;
    if (h.starts_with("\xEF\xBB\xBF")) return 1;
    if (h.starts_with("\xFF\xFE")) return 2;
    if (h.starts_with("\xFE\xFF")) return 3;
    return h.size() >= 3 || !std::string_view("\xEF\xBB\xBF").starts_with(h) ? 0 : -1;
}

bool EncodingScan::decided() const { return bom() > 0 || (!utf8_ && head_.size() == kDetectorSample); }

void EncodingScan::add(std::string_view piece) {
    if (piece.empty() || decided()) return;
    head_.append(piece.substr(0, kDetectorSample - head_.size()));
    if (!escape_) escape_ = (last_ == '\x1B' && piece[0] == '$') || piece.find("\x1B$") != std::string_view::npos;
    last_ = piece.back();
    if (!utf8_) return;
    // Validate up to the start of the last sequence, which may go on in the next piece; a
    // sequence starts at every byte that is not a continuation byte.
    carry_.append(piece);
    const auto* b = reinterpret_cast<const unsigned char*>(carry_.data());
    std::size_t keep = carry_.size();
    for (std::size_t k = carry_.size(); k > 0 && k + 4 > carry_.size(); --k) {
        if (!isContinuation(b[k - 1])) {
            keep = k - 1;
            break;
        }
    }
    bool multi = false;
    utf8_ = isStrictUtf8(std::string_view(carry_).substr(0, keep), &multi);
    multiByte_ = multiByte_ || multi;
    carry_.erase(0, keep);
}

Encoding EncodingScan::finish() {
    switch (bom()) {
    case 1: return Encoding::Utf8Bom;
    case 2: return Encoding::Utf16Le;
    case 3: return Encoding::Utf16Be;
    default: break;
    }
    if (utf8_) {
        bool multi = false;
        utf8_ = isStrictUtf8(carry_, &multi);
        multiByte_ = multiByte_ || multi;
    }
    if (utf8_ && multiByte_) return Encoding::Utf8;
    if (utf8_ && !escape_) return plainDefault_;
    return detectorChoice(head_);
}

// ---- CodePageStream

CodePageStream::CodePageStream(Encoding encoding, PieceSink sink, std::size_t pieceSize)
    : encoding_(encoding), sink_(std::move(sink)), pieceSize_(pieceSize) {}

std::size_t CodePageStream::cut() const {
    const std::string_view s = pending_;
    if (encoding_ == Encoding::Iso2022Jp) {
        // After a line feed while the text is in ASCII (as it is at the start of a piece).
        bool ascii = true;
        std::size_t at = 0;
        for (std::size_t i = 0; i + 1 < s.size(); ++i) {
            if (s[i] == '\x1B' && i + 2 < s.size()) ascii = s[i + 1] == '(' && s[i + 2] == 'B';
            else if (s[i] == '\n' && ascii) at = i + 1;
        }
        return at;
    }
    for (std::size_t p = s.size() - 1; p > 0; --p) {
        bool ok = false;
        switch (encoding_) {
        case Encoding::ShiftJis: ok = cp932CutBefore(s, p); break;
        case Encoding::Utf8:
        case Encoding::Utf8Bom: ok = utf8CutBefore(s, p); break;
        case Encoding::Utf16Le:
        case Encoding::Utf16Be: ok = utf16CutBefore(s, p, encoding_ == Encoding::Utf16Be); break;
        case Encoding::EucJp: ok = eucCutBefore(s, p); break;
        case Encoding::Iso2022Jp: break;
        }
        if (ok) return p;
    }
    return 0;
}

void CodePageStream::convert(std::string_view piece) {
    // A mark at the start of a later piece is a character: the cut never lets one lead.
    const ReadText read = readText(piece, encoding_, LineBreak::CrLf);
    first_ = false;
    if (!refused_.empty()) {
        addRefused(refused_, read.standIns.toCodePage(read.bytes).refused);
        return;
    }
    const text::StandIns::Encoded plain = read.standIns.toCodePage(read.bytes);
    if (!plain.ok()) {
        addRefused(refused_, plain.refused);
        return;
    }
    sink_(plain.bytes);
}

void CodePageStream::add(std::string_view bytes) {
    if (encoding_ == Encoding::ShiftJis) {
        // A Shift-JIS file is its own CP932 form: its user-defined-area codes stand for
        // themselves, and bytes that are not text stay as they are.
        first_ = false;
        if (!bytes.empty()) sink_(bytes);
        return;
    }
    pending_.append(bytes);
    if (pending_.size() < pieceSize_) return;
    const std::size_t at = cut();
    if (at == 0) return;  // no place to cut yet: the piece grows
    convert(std::string_view(pending_).substr(0, at));
    pending_.erase(0, at);
}

void CodePageStream::finish() {
    if (!pending_.empty() || first_) convert(pending_);
    pending_.clear();
}

// ---- FileBytesStream

FileBytesStream::FileBytesStream(const TextFormat& format, PieceSink sink, std::size_t pieceSize)
    : format_(format), sink_(std::move(sink)), pieceSize_(pieceSize) {}

void FileBytesStream::convert(std::string_view piece) {
    const ReadText read = readText(piece, Encoding::ShiftJis, LineBreak::CrLf);
    const WrittenText written = writeText(read.bytes, read.standIns, format_);
    // A byte-order mark only at the start of the file.
    if (format_.encoding == Encoding::Utf8Bom) format_.encoding = Encoding::Utf8;
    format_.utf16Bom = false;
    if (!written.ok() || !refused_.empty()) {
        addRefused(refused_, written.refused);
        return;
    }
    sink_(written.bytes);
}

void FileBytesStream::add(std::string_view document) {
    pending_.append(document);
    if (pending_.size() < pieceSize_) return;
    std::size_t at = pending_.size() - 1;
    while (at > 0 && !cp932CutBefore(pending_, at)) --at;
    if (at == 0) return;
    convert(std::string_view(pending_).substr(0, at));
    pending_.erase(0, at);
}

void FileBytesStream::finish() {
    convert(pending_);
    pending_.clear();
}

// ---- reading a file descriptor

namespace {

// Appends up to n bytes read from fd; false on an error. *atEnd when the file ended.
bool readSome(int fd, std::string& out, std::size_t n, bool* atEnd) {
    const std::size_t at = out.size();
    out.resize(at + n);
    ssize_t got;
    do got = ::read(fd, out.data() + at, n);
    while (got < 0 && errno == EINTR);
    out.resize(at + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    *atEnd = got == 0;
    return got >= 0;
}

}  // namespace

std::optional<Encoding> detectFileEncoding(int fd, Encoding plainDefault) {
    const off_t start = ::lseek(fd, 0, SEEK_CUR);
    if (start < 0) return std::nullopt;
    EncodingScan scan(plainDefault);
    std::string piece;
    bool atEnd = false;
    while (!atEnd && !scan.decided()) {
        piece.clear();
        if (!readSome(fd, piece, CodePageStream::kPieceSize, &atEnd)) return std::nullopt;
        scan.add(piece);
    }
    if (::lseek(fd, start, SEEK_SET) < 0) return std::nullopt;
    return scan.finish();
}

// ---- TextFileReader

namespace {

// Whether a piece of a file that TextFileReader reads may end before s[p] (0 < p <= s.size()).
bool pieceEndsBefore(Encoding encoding, std::string_view s, std::size_t p) {
    if (s[p - 1] == '\r') return false;
    if (encoding == Encoding::ShiftJis) return cp932CutBefore(s, p);
    return p < s.size() && utf8CutBefore(s, p);
}

}  // namespace

TextFileReader::TextFileReader(int fd, Encoding encoding, std::size_t pieceSize)
    : fd_(fd), encoding_(encoding == Encoding::Utf8Bom ? Encoding::Utf8 : encoding), pieceSize_(pieceSize) {}

bool TextFileReader::reads(Encoding encoding) {
    return encoding == Encoding::ShiftJis || encoding == Encoding::Utf8 || encoding == Encoding::Utf8Bom;
}

std::string_view TextFileReader::nextBytes() {
    bytes_.swap(rest_);
    rest_.clear();
    std::size_t cut = 0;
    while (!ended_ && cut == 0) {
        const std::size_t scanned = bytes_.size();
        if (!readSome(fd_, bytes_, pieceSize_, &ended_)) {
            failed_ = ended_ = true;
            break;
        }
        // The last bytes scanned before may end a piece now that what follows them is here.
        for (std::size_t p = bytes_.size(); p + 3 > std::max<std::size_t>(scanned, 4) && !ended_; --p) {
            if (pieceEndsBefore(encoding_, bytes_, p)) {
                cut = p;
                break;
            }
        }
    }
    if (!ended_ && cut > 0) {
        rest_.assign(bytes_, cut);
        bytes_.resize(cut);
    }
    return bytes_;
}

std::string_view TextFileReader::next(text::StandIns& table) {
    for (;;) {
        std::string_view bytes = nextBytes();
        if (bytes.empty()) return {};
        std::string_view piece = bytes;
        if (encoding_ == Encoding::ShiftJis) {
            adoptUserAreaCodes(bytes, table);
        } else {
            if (!started_) {
                table.setAccepting(true);
                if (bytes.starts_with("\xEF\xBB\xBF")) {
                    encoding_ = Encoding::Utf8Bom;
                    bytes.remove_prefix(3);
                }
            }
            readUtf8Piece(bytes, table, piece_, &tooMany_);
            piece = piece_;
        }
        started_ = true;
        if (piece.empty()) continue;  // the mark alone
        const text::LineBreakCounts counts = text::countLineBreaks(piece);
        counts_.crLf += counts.crLf;
        counts_.lf += counts.lf;
        counts_.cr += counts.cr;
        return piece;
    }
}

LineBreak TextFileReader::lineBreak(LineBreak noBreaks) const {
    return counts_.crLf + counts_.lf + counts_.cr == 0 ? noBreaks : lineBreakOf(counts_.mostUsed());
}

std::optional<std::string> TextFileReader::wholeFile() const {
    const off_t at = ::lseek(fd_, 0, SEEK_CUR);
    std::string all;
    const bool read = at >= 0 && ::lseek(fd_, 0, SEEK_SET) == 0 && readAll(fd_, all);
    if (at < 0 || ::lseek(fd_, at, SEEK_SET) < 0 || !read) return std::nullopt;
    return all;
}

}  // namespace verlo::files
