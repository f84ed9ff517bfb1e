// The code page on any bytes: decoding and encoding give the bytes back, one code point
// per character, and the boundary rules agree with a forward reading of the characters.
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "text/codec.h"
#include "text/cp932.h"

using namespace verlo::text;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view s(reinterpret_cast<const char*>(data), size);
    const std::u16string u = codec::decodeUtf16(s);
    const codec::EncodeResult back = codec::encode(u);
    FUZZ_CHECK(back.ok() && back.bytes == s);
    FUZZ_CHECK(codec::decodeUtf32(s).size() == u.size());
    FUZZ_CHECK(cp932::countChars(s) == u.size());

    // The characters read forwards from the start: every boundary the rules give.
    std::vector<bool> boundary(size + 1, false);
    for (std::size_t p = 0; p <= size;) {
        boundary[p] = true;
        if (p == size) break;
        const std::size_t len = cp932::charLength(s, p);
        FUZZ_CHECK(len == 1 || len == 2);
        FUZZ_CHECK(cp932::nextBoundary(s, p) == p + len);
        if (p > 0) FUZZ_CHECK(cp932::prevBoundary(s, p + len) == p);
        p += len;
    }
    std::size_t last = 0;
    for (std::size_t p = 0; p <= size; ++p) {
        if (boundary[p]) last = p;
        FUZZ_CHECK(cp932::snapBack(s, p) == last);
    }
    return 0;
}
