#include "text/codec.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstring>
#include <random>
#include <string>

#include "text/cp932.h"
#include "support/test_text.h"

namespace codec = verlo::text::codec;
namespace cp932 = verlo::text::cp932;

namespace {

// glibc's converter, the reference the codec's table was made from.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) iconv_close(cd_);
    }
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    bool run(const std::string& in, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buf[64];
        char* inp = const_cast<char*>(in.data());
        std::size_t inLeft = in.size(), outLeft = sizeof buf;
        char* outp = buf;
        if (iconv(cd_, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1)) return false;
        out.assign(buf, outp);
        return inLeft == 0;
    }

private:
    iconv_t cd_;
};

std::string bytesOf(unsigned code) {
    if (code < 0x100) return std::string(1, static_cast<char>(code));
    return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

char32_t decodeOne(const std::string& bytes) {
    std::size_t len = 0;
    const char32_t c = codec::decodeChar(bytes, 0, &len);
    EXPECT_EQ(len, bytes.size());
    return c;
}

std::string encodeOk(std::u32string_view text) {
    auto r = codec::encode(text);
    EXPECT_TRUE(r.ok());
    return r.bytes;
}

}  // namespace

TEST(Codec, EveryDoubleByteCodeAgreesWithGlibc) {
    Iconv decoder("UTF-32LE", "CP932");
    ASSERT_TRUE(decoder.ok());
    int valid = 0, standIns = 0, unassigned = 0;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!cp932::isLeadByte(static_cast<std::uint8_t>(lead))) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (!cp932::isTrailByte(static_cast<std::uint8_t>(trail))) continue;
            const std::string bytes = bytesOf(lead << 8 | trail);
            SCOPED_TRACE(testing::Message() << std::hex << (lead << 8 | trail));
            const char32_t ours = decodeOne(bytes);
            std::string ref;
            if (decoder.run(bytes, ref)) {
                ASSERT_EQ(ref.size(), 4u);
                char32_t theirs;
                std::memcpy(&theirs, ref.data(), 4);
                ++valid;
                if (ours != theirs) {
                    // A code glibc decodes to a character held under other bytes.
                    ++standIns;
                    EXPECT_EQ(codec::standsFor(ours), theirs);
                    EXPECT_GE(ours, 0xE800u);
                }
                EXPECT_FALSE(codec::isInvalidByteMark(ours));
            } else {
                ++unassigned;
                EXPECT_TRUE(codec::isInvalidByteMark(ours));
            }
            EXPECT_EQ(encodeOk(std::u32string(1, ours)), bytes);
        }
    }
    EXPECT_EQ(valid, 9604);
    EXPECT_EQ(standIns, 398);
    EXPECT_EQ(unassigned, 11280 - 9604);
}

TEST(Codec, SingleBytesAgreeWithGlibc) {
    Iconv decoder("UTF-32LE", "CP932");
    for (unsigned b = 0; b < 0x100; ++b) {
        SCOPED_TRACE(b);
        const std::string bytes = bytesOf(b);
        const char32_t ours = decodeOne(bytes);  // a lead byte here stands alone
        std::string ref;
        if (!cp932::isLeadByte(static_cast<std::uint8_t>(b)) && decoder.run(bytes, ref)) {
            char32_t theirs;
            std::memcpy(&theirs, ref.data(), 4);
            EXPECT_EQ(ours, theirs);
            EXPECT_FALSE(codec::isInvalidByteMark(ours));
        } else {
            EXPECT_EQ(ours, 0xF780u + b);
            EXPECT_TRUE(codec::isInvalidByteMark(ours));
        }
        EXPECT_EQ(encodeOk(std::u32string(1, ours)), bytes);
    }
}

TEST(Codec, EncoderAcceptsWhatGlibcAccepts) {
    Iconv encoder("CP932", "UTF-32LE");
    ASSERT_TRUE(encoder.ok());
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        std::string in(4, '\0'), ref;
        std::memcpy(in.data(), &c, 4);
        const bool theirs = encoder.run(in, ref);
        const auto ours = codec::encode(std::u32string(1, c));
        SCOPED_TRACE(testing::Message() << std::hex << static_cast<unsigned>(c));
        if (theirs) {
            EXPECT_TRUE(ours.ok());
            EXPECT_EQ(ours.bytes, ref);
        } else if (ours.ok()) {
            // Only our own private-use marks encode where glibc refuses.
            EXPECT_TRUE(codec::isInvalidByteMark(c) || codec::standsFor(c) != c) << "encodes to " << ours.bytes;
        }
        EXPECT_EQ(codec::canEncode(c), ours.ok());
    }
}

TEST(Codec, KnownAnswers) {
    struct Case {
        const char* what;
        std::string bytes;
        std::u32string text;
    };
    const Case cases[] = {
        {"ASCII with backslash and tilde kept", "a\\~", U"a\\~"},
        {"表 95 5C", "\x95\x5C", U"表"},
        {"ｱ B1 half-width katakana", "\xB1", U"\uFF71"},
        {"〜 81 60 decodes to the full-width tilde", "\x81\x60", U"\uFF5E"},
        {"user-defined F0 40", "\xF0\x40", U"\uE000"},
        {"user-defined F9 FC", "\xF9\xFC", U"\uE757"},
        {"87 90 ≒ (NEC row 13) stands in for U+2252", "\x87\x90", U"\uE800"},
        {"lone lead at the end", "a\x82", U"a\uF802"},
        {"lead + space: lead alone, then the space", "\x81 ", U"\uF801 "},
        {"81 AD, the first unassigned code: one character", "\x81\xAD", U"\uEC00"},
        {"80 A0 FD FE FF", "\x80\xA0\xFD\xFE\xFF", U"\uF800\uF820\uF87D\uF87E\uF87F"},
        {"CR LF", "\r\n", U"\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(codec::decodeUtf32(c.bytes), c.text);
        EXPECT_EQ(encodeOk(c.text), c.bytes);
    }
    EXPECT_EQ(codec::standsFor(0xE800), 0x2252u);
    EXPECT_EQ(codec::standsFor(U'a'), U'a');
    EXPECT_FALSE(codec::isInvalidByteMark(0xE800));
    EXPECT_FALSE(codec::isInvalidByteMark(0xF780 + 'A'));  // never produced by decoding
    EXPECT_FALSE(codec::canEncode(0xF780 + 'A'));
}

TEST(Codec, EncodesTheFormsInputMethodsType) {
    EXPECT_EQ(encodeOk(U"\u301C"), "\x81\x60");  // 〜 wave dash, as ～
    EXPECT_EQ(encodeOk(U"\uFF5E"), "\x81\x60");
    EXPECT_EQ(encodeOk(U"\u2212"), "\x81\x7C");  // − minus, as －
    EXPECT_EQ(encodeOk(U"\uFF0D"), "\x81\x7C");
    EXPECT_EQ(encodeOk(U"\u2016"), "\x81\x61");  // ‖
    EXPECT_EQ(encodeOk(U"\u2014"), "\x81\x5C");  // —
    EXPECT_EQ(encodeOk(U"\u00A2\u00A3\u00AC"), "\x81\x91\x81\x92\x81\xCA");
    EXPECT_EQ(encodeOk(U"\u2252"), "\x81\xE0");  // ≒ goes to its JIS place, not NEC row 13
}

TEST(Codec, ReportsUnencodableCharactersOnceInOrder) {
    const std::u16string text = u"a\U0001F600b\u00E9c\U0001F600\u00E9";
    auto r = codec::encode(text);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.unencodable, (std::u32string{0x1F600, 0xE9}));
    EXPECT_EQ(r.bytes, "abc");

    // A lone surrogate is reported as itself; a reversed pair is two lone ones.
    std::u16string lone = u"x";
    lone += char16_t(0xD800);
    lone += u"y";
    lone += char16_t(0xDC00);
    lone += char16_t(0xD83D);
    r = codec::encode(lone);
    EXPECT_EQ(r.unencodable, (std::u32string{0xD800, 0xDC00, 0xD83D}));
    EXPECT_EQ(r.bytes, "xy");

    EXPECT_TRUE(codec::encode(std::u16string_view{}).ok());
}

TEST(Codec, RandomBytesRoundTripOneCodePointPerCharacter) {
    std::mt19937 rng(42);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(rng() % 64, '\0');
        for (char& ch : bytes) {
            // Half lead-class bytes, so every kind of pairing and every table turns up.
            const unsigned r = rng();
            ch = static_cast<char>(r % 2 ? (r >> 8) % 0x100 : 0x81 + (r >> 8) % 0x7C);
        }
        const auto utf16 = codec::decodeUtf16(bytes);
        const auto utf32 = codec::decodeUtf32(bytes);
        ASSERT_EQ(utf16.size(), cp932::countChars(bytes));
        ASSERT_EQ(utf16.size(), utf32.size());
        auto r16 = codec::encode(utf16);
        ASSERT_TRUE(r16.ok());
        ASSERT_EQ(r16.bytes, bytes);
        ASSERT_EQ(encodeOk(utf32), bytes);
        // decodeChar walks the same characters.
        std::size_t pos = 0, i = 0;
        while (pos < bytes.size()) {
            std::size_t len;
            ASSERT_EQ(codec::decodeChar(bytes, pos, &len), utf32[i++]);
            ASSERT_EQ(len, cp932::charLength(bytes, pos));
            pos += len;
        }
    }
}

TEST(Codec, DecodesTheSampleText) {
    // The sample decodes without one invalid mark and comes back byte for byte.
    const std::string bytes = verlo::test::sampleText();
    ASSERT_FALSE(bytes.empty());
    const auto text = codec::decodeUtf32(bytes);
    for (char32_t c : text) ASSERT_FALSE(codec::isInvalidByteMark(c));
    EXPECT_EQ(encodeOk(text), bytes);
}
