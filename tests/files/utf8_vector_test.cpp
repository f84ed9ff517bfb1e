// The vector conversion of kana, kanji and ASCII runs against a plain model: where it stops,
// what it writes, and the last character it says it wrote.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "files/utf8_convert.h"
#include "files/utf8_vector.h"
#include "text/codec.h"

using namespace verlo::files::utf8;

namespace {

// The next character of the model at s[i]: its length, and its code (kNoCode when the runs
// stop before it: not ASCII, and not a valid three-byte character whose code is a pair).
struct Char {
    std::size_t length;
    unsigned code;
};

Char modelAt(const std::string& s, std::size_t i) {
    const auto b = [&](std::size_t k) { return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0u; };
    if (b(0) < 0x80) return {1, b(0)};
    if ((b(0) & 0xF0) != 0xE0 || (b(1) & 0xC0) != 0x80 || (b(2) & 0xC0) != 0x80) return {0, verlo::text::codec::kNoCode};
    const char32_t c = (b(0) & 0x0Fu) << 12 | (b(1) & 0x3Fu) << 6 | (b(2) & 0x3Fu);
    const unsigned code = readTable().aloneCode[c];
    if (c < 0x800 || code <= 0xFF || code == verlo::text::codec::kNoCode) return {0, verlo::text::codec::kNoCode};
    return {3, code};
}

}  // namespace

TEST(Utf8Runs, ConvertWhatThePlainModelConvertsAndStopWhereItStops) {
    if (!runsAvailable()) GTEST_SKIP() << "no SSSE3";
    // Runs of each kind, and the characters that end a run: two bytes, a one-byte code (ｱ),
    // no code (丂, 한), staying with the one before (゙, VS16), below U+1000, a mark, four
    // bytes, bytes that are not text (overlong, of А too, surrogate, stray, cut short).
    const std::string_view kana = "あいうえおカキクケコ漢字仮名交じり文。、「」ー　";
    const std::string_view enders[] = {"é", "ｱ", "丂", "한", "\u3099", "\uFE0F", "\u0800", "\u0E01", "\uFEFF",
                                       "😀", "\xE0\x80\x80", "\xE0\x90\x90", "\xED\xA0\x80", "\x80", "\xE3\x81"};
    std::mt19937 random(1506);
    for (int round = 0; round < 3000; ++round) {
        std::string file;
        while (file.size() < 40 + random() % 200) {
            const unsigned pick = random() % 16;
            if (pick < 6) {
                for (unsigned n = random() % 20; n > 0; --n) file += kana.substr(3 * (random() % (kana.size() / 3)), 3);
            } else if (pick < 12) {
                file.append(random() % 20, static_cast<char>('a' + random() % 26));
                if (random() % 4 == 0) file += "\r\n";
            } else {
                file += enders[random() % std::size(enders)];
            }
        }
        std::string doc(file.size() + 16, '\0');
        const RunsRead r = readRuns(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(), doc.data(),
                                    readTable().aloneCode.data());
        std::string expected;
        std::size_t i = 0;
        std::size_t lastIn = 0;
        std::size_t lastOut = 0;
        for (Char c = modelAt(file, 0); i < r.in && c.length; c = modelAt(file, i)) {
            lastIn = i;
            lastOut = expected.size();
            if (c.code > 0xFF) expected += static_cast<char>(c.code >> 8);
            expected += static_cast<char>(c.code & 0xFF);
            i += c.length;
        }
        ASSERT_EQ(i, r.in) << file;  // a character start the model reaches
        ASSERT_EQ(doc.substr(0, r.out), expected) << file;
        // It stops only where the model does, or with fewer than 32 bytes left.
        if (r.in + 32 <= file.size()) {
            ASSERT_EQ(modelAt(file, r.in).length, 0u) << file << " at " << r.in;
        }
        if (r.in > 0) {
            EXPECT_EQ(r.lastIn, lastIn) << file;
            EXPECT_EQ(r.lastOut, lastOut) << file;
        }
    }
}
