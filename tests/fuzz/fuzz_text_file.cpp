// Files on any bytes: read in each encoding and written back, they are the same bytes; a
// valid UTF-8 file reads as its whole text encoded at once would, on one thread or two; the
// check for valid UTF-8 agrees with a plain walk; any document written as UTF-8 a piece at a
// time is the same as written at once; a Shift-JIS or UTF-8 file read into the document a
// few bytes at a time is the document and stand-in table read whole; the user-defined-area
// codes a Shift-JIS file adopts are those a plain forward reading finds.
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include <sys/mman.h>
#include <unistd.h>

#include "files/text_file.h"
#include "files/text_stream.h"
#include "fuzz_check.h"
#include "text/cp932.h"

using namespace verlo;
using namespace verlo::files;

namespace {

// The length of the valid UTF-8 character at s[i], else 0.
std::size_t validLength(std::string_view s, std::size_t i) {
    const auto at = [&](std::size_t k) { return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0u; };
    const unsigned b = at(0);
    if (b < 0x80) return 1;
    const std::size_t len = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
    for (std::size_t k = 1; k < len; ++k)
        if ((at(k) & 0xC0) != 0x80) return 0;
    if ((b == 0xE0 && at(1) < 0xA0) || (b == 0xED && at(1) > 0x9F) || (b == 0xF0 && at(1) < 0x90) || (b == 0xF4 && at(1) > 0x8F))
        return 0;
    return len;
}

std::u32string decodeValidUtf8(std::string_view s) {
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = len == 1 ? b : b & (0x7F >> len);
        for (std::size_t k = 1; k < len; ++k) c = c << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(c);
        i += len;
    }
    return out;
}

// The document written as UTF-8 a few bytes at a time, on one thread and on two, is the same
// as written at once.
void checkUtf8Pieces(const ReadText& r) {
    const TextFormat utf8{Encoding::Utf8, LineBreak::CrLf, true};
    const std::string whole = writeText(r.bytes, r.standIns, utf8).bytes;
    for (std::size_t twoThreadsFrom : {std::size_t{0}, SIZE_MAX}) {
        std::string gathered;
        const TextPieces t = writeTextInPieces(r.bytes, r.standIns, utf8, 1 + r.bytes.size() % 5, twoThreadsFrom);
        FUZZ_CHECK(t.pieces([&](std::string_view piece) {
            gathered += piece;
            return true;
        }));
        FUZZ_CHECK(gathered == whole);
    }
}

// The file read from a descriptor in pieces of a few bytes is the document read whole (on this
// thread, and converted ahead on another).
void checkReadInPieces(std::string_view file, Encoding encoding, const ReadText& whole, bool ahead) {
    const int fd = memfd_create("fuzz_text_file", MFD_CLOEXEC);
    FUZZ_CHECK(fd >= 0 && write(fd, file.data(), file.size()) == static_cast<ssize_t>(file.size()) &&
               lseek(fd, 0, SEEK_SET) == 0);
    auto reader = std::make_unique<TextFileReader>(fd, encoding, 1 + file.size() % 7, ahead);
    text::StandIns table;
    std::string doc;
    for (std::string_view piece = reader->next(table); !piece.empty(); piece = reader->next(table)) doc += piece;
    FUZZ_CHECK(doc == whole.bytes && table.toText() == whole.standIns.toText());
    FUZZ_CHECK(reader->tooManyCharacters() == whole.tooManyCharacters && reader->encoding() == whole.format.encoding);
    FUZZ_CHECK(reader->lineBreak(LineBreak::CrLf) == whole.format.lineBreak && !reader->failed());
    reader.reset();  // its thread reads fd until it is gone
    close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    detectEncoding(file, Encoding::ShiftJis);
    for (Encoding encoding : kEncodings) {
        const ReadText r = readText(file, encoding, LineBreak::CrLf);
        if (TextFileReader::reads(encoding))
            for (bool ahead : {false, true}) checkReadInPieces(file, encoding, r, ahead);
        if (r.tooManyCharacters) continue;
        const WrittenText w = writeText(r.bytes, r.standIns, r.format);
        FUZZ_CHECK(w.ok() && w.bytes == file);
        if (encoding == Encoding::Utf8 || encoding == Encoding::Utf8Bom)
            FUZZ_CHECK(writeText(r.bytes, r.standIns, r.format, 0).bytes == w.bytes);
        checkUtf8Pieces(r);
    }
    bool valid = true;
    bool multi = false;
    for (std::size_t i = 0, len = 0; valid && i < size; i += len) {
        len = validLength(file, i);
        valid = len != 0;
        multi = multi || len > 1;
    }
    bool multiFound = false;
    FUZZ_CHECK(isStrictUtf8(file, &multiFound) == valid);
    FUZZ_CHECK(!valid || multiFound == multi);
    FUZZ_CHECK(isStrictUtf8(file, &multiFound, 0) == valid && (!valid || multiFound == multi));
    if (valid && file.substr(0, 3) != "\xEF\xBB\xBF") {
        const ReadText r = readText(file, Encoding::Utf8, LineBreak::CrLf);
        text::StandIns whole;
        whole.setAccepting(true);
        const text::StandIns::Encoded e = whole.encode(decodeValidUtf8(file), /*markWhenFull=*/true);
        FUZZ_CHECK(r.bytes == e.bytes);
        const ReadText halves = readText(file, Encoding::Utf8, LineBreak::CrLf, 0);
        FUZZ_CHECK(halves.bytes == e.bytes && halves.tooManyCharacters == r.tooManyCharacters);
        FUZZ_CHECK(writeText(halves.bytes, halves.standIns, halves.format, 0).bytes == file);
    }
    const ReadText sjis = readText(file, Encoding::ShiftJis, LineBreak::CrLf);
    std::set<unsigned> adopted;
    for (std::size_t i = 0; i < size;) {
        const std::size_t len = text::cp932::charLength(file, i);
        const auto lead = static_cast<std::uint8_t>(file[i]);
        if (len == 2 && text::isUserAreaLead(lead)) adopted.insert(lead << 8 | static_cast<std::uint8_t>(file[i + 1]));
        i += len;
    }
    checkUtf8Pieces(sjis);
    FUZZ_CHECK(sjis.standIns.size() == adopted.size());
    for (unsigned code : adopted) FUZZ_CHECK(sjis.standIns.find(code) != nullptr);
    return 0;
}
