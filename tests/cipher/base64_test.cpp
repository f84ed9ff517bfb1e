// The Base64 coder: standard encoding, and the lenient decoder that never fails.
#include <gtest/gtest.h>

#include <string>

#include "cipher/base64.h"

using verlo::cipher::DecodeBase64;
using verlo::cipher::EncodeBase64;

TEST(Base64, EncodesTheStandardVectors) {
    EXPECT_EQ(EncodeBase64(""), "");
    EXPECT_EQ(EncodeBase64("f"), "Zg==");
    EXPECT_EQ(EncodeBase64("fo"), "Zm8=");
    EXPECT_EQ(EncodeBase64("foo"), "Zm9v");
    EXPECT_EQ(EncodeBase64("foob"), "Zm9vYg==");
    EXPECT_EQ(EncodeBase64("fooba"), "Zm9vYmE=");
    EXPECT_EQ(EncodeBase64("foobar"), "Zm9vYmFy");
    EXPECT_EQ(EncodeBase64("\xFB\xFF\xBF"), "+/+/");
}

TEST(Base64, EveryByteValueRoundTrips) {
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    for (std::size_t n : {0u, 1u, 2u, 3u, 255u, 256u}) {
        const std::string bytes = all.substr(0, n);
        const std::string text = EncodeBase64(bytes);
        EXPECT_EQ(text.size(), 4 * ((n + 2) / 3));
        EXPECT_EQ(text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
                  std::string::npos);
        EXPECT_EQ(DecodeBase64(text), bytes) << n;
    }
}

TEST(Base64, DecoderReadsWholeGroupsOnly) {
    EXPECT_EQ(DecodeBase64(""), "");
    EXPECT_EQ(DecodeBase64("Z"), "");
    EXPECT_EQ(DecodeBase64("Zm9"), "");
    EXPECT_EQ(DecodeBase64("Zm9v"), "foo");
    EXPECT_EQ(DecodeBase64("Zm9vY"), "foo");
    EXPECT_EQ(DecodeBase64("Zm9vYmF"), "foo");
    EXPECT_EQ(DecodeBase64("Zm9v\r\n"), "foo");          // a trailing line break is two stray bytes
    EXPECT_EQ(DecodeBase64("Zm9v\r\n\r\n").size(), 6u);  // two make a group of their own
}

TEST(Base64, PaddingDecidesTheGroupLengthAndDoesNotEndTheInput) {
    // A third "=" gives one byte whatever the fourth character is.
    EXPECT_EQ(DecodeBase64("Zg=="), "f");
    EXPECT_EQ(DecodeBase64("Zg=A"), "f");
    EXPECT_EQ(DecodeBase64("Zm8="), "fo");
    // Groups after a padded one are decoded and appended.
    EXPECT_EQ(DecodeBase64("Zg==Zm9v"), "ffoo");
    EXPECT_EQ(DecodeBase64("Zm8=Zg=="), "fof");
    // "=" in the first two places still counts 255, in 8 bits: (255 << 2) | (255 >> 4) = 0xFF.
    EXPECT_EQ(DecodeBase64("===="), "\xFF");
    EXPECT_EQ(DecodeBase64("A==="), std::string(1, '\x0F'));
}

TEST(Base64, CharactersOutsideTheAlphabetCountZero) {
    // "*" and the bytes of a double-byte character take the place of "A" (value 0).
    EXPECT_EQ(DecodeBase64("*m9v"), DecodeBase64("Am9v"));
    EXPECT_EQ(DecodeBase64("Zm*v"), DecodeBase64("ZmAv"));
    EXPECT_EQ(DecodeBase64("Zm9\x01"), DecodeBase64("Zm9A"));
    EXPECT_EQ(DecodeBase64("\x82\xA0\x82\xA0"), std::string(3, '\0'));
    EXPECT_EQ(DecodeBase64("ab cd\tef"), DecodeBase64("abAcdAef"));
}
