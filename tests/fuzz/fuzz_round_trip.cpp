// Open and save on any bytes, as the window does: a file opened in the encoding found for it
// (whatever the default for plain text) or in one chosen, then saved unchanged, is the same
// file, written whole or a piece at a time from the document's blocks; read again, it is the
// same document. Text that is all characters, saved in another encoding that holds it, reads
// back as the same text (the pairs the code page merges as one).
#include <string>
#include <string_view>

#include "files/text_file.h"
#include "fuzz_check.h"
#include "text/codec.h"
#include "text/document.h"

using namespace verlo;
using namespace verlo::files;

namespace {

void checkSavedUnchanged(std::string_view file, const ReadText& r) {
    if (r.tooManyCharacters) return;  // read-only: saved as the file's own bytes
    const WrittenText w = writeText(r.bytes, r.standIns, r.format);
    FUZZ_CHECK(w.ok() && w.bytes == file);
    text::Document doc(text::StorageShape{7, 3});
    doc.setText(r.bytes);
    const TextPieces pieces = writeTextInPieces(DocumentBytes(doc), r.standIns, r.format, 1 + file.size() % 5, 0);
    FUZZ_CHECK(pieces.ok());
    std::string gathered;
    FUZZ_CHECK(pieces.pieces([&](std::string_view piece) {
        gathered += piece;
        return true;
    }));
    FUZZ_CHECK(gathered == file);
    const ReadText again = readText(w.bytes, r.format.encoding, r.format.lineBreak);
    FUZZ_CHECK(again.bytes == r.bytes && again.standIns.toText() == r.standIns.toText() && again.format == r.format);
}

// True when the document is of a UTF-8 file and holds characters only (no bytes kept that
// are not text, no ESC, which ISO-2022-JP writes as it is).
bool allCharacters(const ReadText& r) {
    if (r.tooManyCharacters || (r.format.encoding != Encoding::Utf8 && r.format.encoding != Encoding::Utf8Bom)) return false;
    for (const char32_t c : r.standIns.decode(r.bytes))
        if (c == 0xFFFD || c == 0x1B || text::codec::isInvalidByteMark(c)) return false;
    return true;
}

// The same text, where the code page's pairs (U+301C and U+FF5E are both 81 60) count as one.
bool sameText(std::u32string_view a, std::u32string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        const unsigned code = text::codec::codeOf(a[k]);
        if (a[k] != b[k] && (code == text::codec::kNoCode || code != text::codec::codeOf(b[k]))) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    for (Encoding encoding : kEncodings) {
        checkSavedUnchanged(file, openText(file, TextFormat(encoding)));  // found
        checkSavedUnchanged(file, readText(file, encoding, LineBreak::CrLf));  // chosen
    }
    const ReadText r = openText(file, TextFormat(Encoding::Utf8));
    if (!allCharacters(r)) return 0;
    const std::u32string text = r.standIns.decode(r.bytes);
    for (Encoding encoding : kEncodings) {
        TextFormat format = r.format;
        format.encoding = encoding;
        const WrittenText w = writeText(r.bytes, r.standIns, format);
        if (!w.ok()) continue;
        const ReadText back = readText(w.bytes, encoding, format.lineBreak);
        FUZZ_CHECK(sameText(back.standIns.decode(back.bytes), text));
    }
    return 0;
}
