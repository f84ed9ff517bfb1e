// Files on any bytes: read in each encoding and written back, they are the same bytes; a
// valid UTF-8 file reads as its whole text encoded at once would; the user-defined-area codes
// a Shift-JIS file adopts are those a plain forward reading finds.
#include <set>
#include <string>
#include <string_view>

#include "files/text_file.h"
#include "fuzz_check.h"
#include "text/cp932.h"

using namespace verlo;
using namespace verlo::files;

namespace {

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    detectEncoding(file, Encoding::ShiftJis);
    for (Encoding encoding : kEncodings) {
        const ReadText r = readText(file, encoding, LineBreak::CrLf);
        if (r.tooManyCharacters) continue;
        const WrittenText w = writeText(r.bytes, r.standIns, r.format);
        FUZZ_CHECK(w.ok() || encoding == Encoding::EucJp || encoding == Encoding::Iso2022Jp);
        if (encoding != Encoding::EucJp && encoding != Encoding::Iso2022Jp) FUZZ_CHECK(w.bytes == file);
    }
    if (isStrictUtf8(file) && file.substr(0, 3) != "\xEF\xBB\xBF") {
        const ReadText r = readText(file, Encoding::Utf8, LineBreak::CrLf);
        text::StandIns whole;
        whole.setAccepting(true);
        const text::StandIns::Encoded e = whole.encode(decodeValidUtf8(file), /*markWhenFull=*/true);
        FUZZ_CHECK(r.bytes == e.bytes);
    }
    const ReadText sjis = readText(file, Encoding::ShiftJis, LineBreak::CrLf);
    std::set<unsigned> adopted;
    for (std::size_t i = 0; i < size;) {
        const std::size_t len = text::cp932::charLength(file, i);
        const auto lead = static_cast<std::uint8_t>(file[i]);
        if (len == 2 && text::isUserAreaLead(lead)) adopted.insert(lead << 8 | static_cast<std::uint8_t>(file[i + 1]));
        i += len;
    }
    FUZZ_CHECK(sjis.standIns.size() == adopted.size());
    for (unsigned code : adopted) FUZZ_CHECK(sjis.standIns.find(code) != nullptr);
    return 0;
}
