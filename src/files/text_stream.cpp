#include "files/text_stream.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <limits>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "files/text_file.h"
#include "files/utf8_convert.h"
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

EncodingScan EncodingScan::later() {
    EncodingScan scan(Encoding::ShiftJis);
    scan.atStart_ = false;
    return scan;
}

void EncodingScan::join(const EncodingScan& next) {
    if (next.head_.empty()) return;
    if (head_.size() < kDetectorSample) head_.append(std::string_view(next.head_).substr(0, kDetectorSample - head_.size()));
    escape_ = escape_ || next.escape_ || (last_ == '\x1B' && next.first_ == '$');
    last_ = next.last_;
    if (!utf8_) return;
    // What is carried here ends where the next part starts, before a byte that begins a sequence.
    bool multi = false;
    utf8_ = isStrictUtf8(carry_, &multi) && next.utf8_;
    multiByte_ = multiByte_ || multi || next.multiByte_;
    carry_ = next.carry_;
}

int EncodingScan::bom() const {
    if (!atStart_) return 0;
    const std::string_view h = head_;
    if (h.starts_with("\xEF\xBB\xBF")) return 1;
    if (h.starts_with("\xFF\xFE")) return 2;
    if (h.starts_with("\xFE\xFF")) return 3;
    return h.size() >= 3 || !std::string_view("\xEF\xBB\xBF").starts_with(h) ? 0 : -1;
}

bool EncodingScan::decided() const {
    return bom() > 0 || (!utf8_ && (head_.size() == kDetectorSample || !atStart_));
}

void EncodingScan::add(std::string_view piece) {
    if (piece.empty() || decided()) return;
    if (head_.empty()) first_ = piece[0];
    head_.append(piece.substr(0, kDetectorSample - head_.size()));
    if (!escape_) escape_ = (last_ == '\x1B' && piece[0] == '$') || piece.find("\x1B$") != std::string_view::npos;
    last_ = piece.back();
    if (!utf8_) return;
    // The sequence carried from the piece before is completed by the continuation bytes that
    // begin this one (a sequence has at most four bytes) and checked on its own.
    std::size_t start = 0;
    while (start < piece.size() && isContinuation(static_cast<unsigned char>(piece[start])) && carry_.size() + start < 4)
        ++start;
    carry_.append(piece.substr(0, start));
    piece.remove_prefix(start);
    if (piece.empty()) return;  // it may go on in the next piece
    bool multi = false;
    utf8_ = isStrictUtf8(carry_, &multi);
    multiByte_ = multiByte_ || multi;
    // The rest where it lies, up to the start of the last sequence, which may go on in the
    // next piece; a sequence starts at every byte that is not a continuation byte.
    const auto* b = reinterpret_cast<const unsigned char*>(piece.data());
    std::size_t keep = piece.size();
    for (std::size_t k = piece.size(); k > 0 && k + 4 > piece.size(); --k) {
        if (!isContinuation(b[k - 1])) {
            keep = k - 1;
            break;
        }
    }
    utf8_ = utf8_ && isStrictUtf8(piece.substr(0, keep), &multi);
    multiByte_ = multiByte_ || multi;
    carry_.assign(piece.substr(keep));
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

// Reads up to n bytes from fd into dst: how many (0 at the end of the file), -1 on an error.
ssize_t readInto(int fd, char* dst, std::size_t n) {
    ssize_t got;
    do got = ::read(fd, dst, n);
    while (got < 0 && errno == EINTR);
    return got;
}

}  // namespace

namespace {

// Adds what fd holds from `from` up to `to` (or its end) to scan, a piece at a time, until the
// scan or another one (stop) is decided. False when a read fails.
bool scanFile(int fd, off_t from, off_t to, EncodingScan& scan, std::atomic<bool>& stop) {
    std::string piece(CodePageStream::kPieceSize, '\0');
    for (off_t at = from; at < to && !scan.decided() && !stop;) {
        const auto want = static_cast<std::size_t>(std::min<off_t>(to - at, static_cast<off_t>(piece.size())));
        ssize_t got;
        do got = ::pread(fd, piece.data(), want, at);
        while (got < 0 && errno == EINTR);
        if (got < 0) return false;
        if (got == 0) break;
        scan.add(std::string_view(piece.data(), static_cast<std::size_t>(got)));
        at += got;
    }
    if (scan.decided()) stop = true;
    return true;
}

}  // namespace

std::optional<Encoding> detectFileEncoding(int fd, Encoding plainDefault) {
    constexpr off_t kToTheEnd = std::numeric_limits<off_t>::max();
    const off_t start = ::lseek(fd, 0, SEEK_CUR);
    if (start < 0) return std::nullopt;
    EncodingScan scan(plainDefault);
    std::atomic<bool> stop = false;
    // The start first: it decides most files (a mark, bytes that are not UTF-8).
    const off_t from = start + static_cast<off_t>(CodePageStream::kPieceSize);
    if (!scanFile(fd, start, from, scan, stop)) return std::nullopt;
    struct stat st{};
    const off_t end = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : 0;
    if (scan.decided() || end - from < static_cast<off_t>(kTwoThreadsFrom)) {
        if (!scanFile(fd, from, kToTheEnd, scan, stop)) return std::nullopt;
        return scan.finish();
    }
    // A large rest in two halves on two threads, the second from a byte that begins a
    // sequence (past the continuation bytes of the one the first ends with).
    off_t middle = from + (end - from) / 2;
    unsigned char b[3];
    const ssize_t got = ::pread(fd, b, sizeof b, middle);
    for (ssize_t k = 0; k < got && isContinuation(b[k]); ++k) ++middle;
    EncodingScan rest = EncodingScan::later();
    bool firstRead = false;
    bool restRead = false;
    utf8::alongside([&] { restRead = scanFile(fd, middle, kToTheEnd, rest, stop); },
                    [&] { firstRead = scanFile(fd, from, middle, scan, stop); });
    if (!firstRead || !restRead) return std::nullopt;
    if (!scan.decided()) scan.join(rest);
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

// A piece converted ahead, with a table of its own.
struct TextFileReader::Converted {
    std::string raw;  // the file's bytes of the piece, then what was read past it; its room used again
    std::size_t rawLength = 0;
    std::string doc;  // the piece converted, its room used again
    std::size_t length = 0;
    text::StandIns table;
    bool tooMany = false;  // its own table was full: to be read again from raw
    bool failed = false;
    bool last = false;
};

// Pieces of UTF-8 read in turn and converted on threads of their own, each piece by whichever
// thread read it, handed over in order, at most kAhead of them ahead of the one taken.
class TextFileReader::Ahead {
public:
    Ahead(Bytes& bytes, unsigned threads) : bytes_(bytes) {
        try {
            for (unsigned k = 0; k < threads; ++k) threads_.emplace_back([this] { run(); });
        } catch (const std::system_error&) {
            if (threads_.empty()) throw;  // one thread is enough; none is the caller's to handle
        }
    }
    ~Ahead() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        for (std::thread& t : threads_) t.join();
    }
    Ahead(const Ahead&) = delete;
    Ahead& operator=(const Ahead&) = delete;

    std::unique_ptr<Converted> take() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return ready_.contains(taken_) || failure_; });
        if (!ready_.contains(taken_)) std::rethrow_exception(failure_);
        std::unique_ptr<Converted> c = std::move(ready_.at(taken_));
        ready_.erase(taken_++);
        lock.unlock();
        changed_.notify_all();
        return c;
    }
    // A piece taken before, whose room a later one may use.
    void giveBack(std::unique_ptr<Converted> c) {
        const std::lock_guard lock(mutex_);
        if (spare_.size() < threads_.size()) spare_.push_back(std::move(c));
    }

private:
    static constexpr std::size_t kAhead = 3;

    void run() {
        try {
            for (;;) {
                std::unique_ptr<Converted> c;
                std::size_t piece = 0;
                {
                    std::unique_lock lock(mutex_);
                    changed_.wait(lock, [&] { return stop_ || ended_ || read_ < taken_ + kAhead; });
                    if (stop_ || ended_) return;
                    if (spare_.empty()) {
                        c = std::make_unique<Converted>();
                    } else {
                        c = std::move(spare_.back());
                        spare_.pop_back();
                    }
                    // Read in turn, under the lock: where a piece ends depends on the one before.
                    c->rawLength = bytes_.nextInto(c->raw);
                    c->failed = bytes_.failed;
                    c->last = ended_ = bytes_.atEnd();
                    piece = read_++;
                }
                c->table = text::StandIns();
                c->table.setAccepting(true);
                c->tooMany = false;
                const std::string_view bytes(c->raw.data(), c->rawLength);
                c->length = bytes.empty() ? 0 : readUtf8Piece(bytes, c->table, c->doc, &c->tooMany);
                {
                    const std::lock_guard lock(mutex_);
                    ready_.emplace(piece, std::move(c));
                }
                changed_.notify_all();
            }
        } catch (...) {
            {
                const std::lock_guard lock(mutex_);
                failure_ = std::current_exception();
            }
            changed_.notify_all();
        }
    }

    Bytes& bytes_;  // read under mutex_
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::size_t, std::unique_ptr<Converted>> ready_;  // by the piece's place in the file
    std::vector<std::unique_ptr<Converted>> spare_;
    std::size_t read_ = 0;   // pieces read
    std::size_t taken_ = 0;  // pieces taken
    bool ended_ = false;     // the last piece was read
    bool stop_ = false;
    std::exception_ptr failure_;
    std::vector<std::thread> threads_;  // last: started when everything they use is ready
};

TextFileReader::TextFileReader(int fd, Encoding encoding, std::size_t pieceSize, bool ahead)
    : fd_(fd),
      encoding_(encoding == Encoding::Utf8Bom ? Encoding::Utf8 : encoding),
      ahead_(ahead),
      bytes_{fd, encoding_, pieceSize, {}} {}

TextFileReader::~TextFileReader() = default;

bool TextFileReader::reads(Encoding encoding) {
    return encoding == Encoding::ShiftJis || encoding == Encoding::Utf8 || encoding == Encoding::Utf8Bom;
}

std::string_view TextFileReader::Bytes::next() {
    // What was read past the piece given last goes to the front; the room stays, so that
    // it is cleared only once.
    std::memmove(buffer.data(), buffer.data() + given, end - given);
    end -= given;
    given = 0;
    std::size_t cut = 0;
    while (!ended && cut == 0) {
        const std::size_t scanned = end;
        if (buffer.size() < end + pieceSize) buffer.resize(end + pieceSize);
        const ssize_t got = readInto(fd, buffer.data() + end, pieceSize);
        if (got < 0) {
            failed = ended = true;
            break;
        }
        end += static_cast<std::size_t>(got);
        ended = got == 0;
        // The last bytes scanned before may end a piece now that what follows them is here.
        const std::string_view bytes(buffer.data(), end);
        for (std::size_t p = end; p + 3 > std::max<std::size_t>(scanned, 4) && !ended; --p) {
            if (pieceEndsBefore(encoding, bytes, p)) {
                cut = p;
                break;
            }
        }
    }
    given = !ended && cut > 0 ? cut : end;
    return {buffer.data(), given};
}

std::size_t TextFileReader::Bytes::nextInto(std::string& out) {
    const std::size_t length = next().size();
    // The piece goes with the buffer it lies in; what was read past it comes back.
    buffer.swap(out);
    const std::size_t past = end - given;
    if (buffer.size() < past + pieceSize) buffer.resize(past + pieceSize);
    std::memcpy(buffer.data(), out.data() + given, past);
    end = past;
    given = 0;
    return length;
}

std::string_view TextFileReader::readHere(text::StandIns& table) {
    for (;;) {
        std::string_view bytes = bytes_.next();
        atEnd_ = bytes_.atEnd();
        failed_ = bytes_.failed;
        if (bytes.empty()) return {};
        if (encoding_ == Encoding::ShiftJis) {
            adoptUserAreaCodes(bytes, table);
            return bytes;
        }
        if (!started_) {
            started_ = true;
            table.setAccepting(true);
            if (bytes.starts_with("\xEF\xBB\xBF")) {
                encoding_ = Encoding::Utf8Bom;
                bytes.remove_prefix(3);
                if (bytes.empty()) continue;  // the mark alone
            }
        }
        const std::size_t length = readUtf8Piece(bytes, table, piece_, &tooMany_);  // may move piece_
        return {piece_.data(), length};
    }
}

std::string_view TextFileReader::taken(text::StandIns& table) {
    while (!atEnd_) {
        if (current_) thread_->giveBack(std::move(current_));
        current_ = thread_->take();
        Converted& c = *current_;
        atEnd_ = c.last;
        failed_ = failed_ || c.failed;
        if (c.tooMany) c.length = readUtf8Piece(std::string_view(c.raw.data(), c.rawLength), table, c.doc, &tooMany_);
        else if (!c.table.empty() && !moveStandIns(c.doc.data(), c.length, c.table, table)) tooMany_ = true;
        if (c.length > 0) return {c.doc.data(), c.length};
    }
    return {};
}

std::string_view TextFileReader::next(text::StandIns& table) {
    const std::string_view piece = thread_ ? taken(table) : readHere(table);
    if (!thread_ && ahead_ && started_ && !atEnd_ && std::thread::hardware_concurrency() > 1) {
        try {
            thread_ = std::make_unique<Ahead>(bytes_, std::min(2u, std::thread::hardware_concurrency()));
        } catch (const std::system_error&) {
        }
    }
    if (piece.empty()) return {};
    const text::LineBreakCounts counts = text::countLineBreaks(piece);
    counts_.crLf += counts.crLf;
    counts_.lf += counts.lf;
    counts_.cr += counts.cr;
    return piece;
}

LineBreak TextFileReader::lineBreak(LineBreak noBreaks) const {
    return counts_.crLf + counts_.lf + counts_.cr == 0 ? noBreaks : lineBreakOf(counts_.mostUsed());
}

std::optional<std::string> TextFileReader::wholeFile() const {
    // At given offsets: the thread reading ahead (if it still runs) keeps its place.
    constexpr std::size_t kStep = 1 << 20;
    std::string all;
    for (;;) {
        const std::size_t at = all.size();
        all.resize(at + kStep);
        ssize_t got;
        do got = ::pread(fd_, all.data() + at, kStep, static_cast<off_t>(at));
        while (got < 0 && errno == EINTR);
        if (got < 0) return std::nullopt;
        all.resize(at + static_cast<std::size_t>(got));
        if (got == 0) return all;
    }
}

}  // namespace verlo::files
