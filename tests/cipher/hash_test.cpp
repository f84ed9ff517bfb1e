// SHA-1 through the hash class, against digests from sha1sum.
#include <gtest/gtest.h>

#include <string>

#include "cipher/text_cipher.h"
#include "cipher/hash.h"

using namespace verlo::cipher;

namespace {

std::string hexOf(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char b : bytes) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

}  // namespace

TEST(Sha1, KnownDigests) {
    EXPECT_EQ(hexOf(sha1Digest("")), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
    EXPECT_EQ(hexOf(sha1Digest("abc")), "A9993E364706816ABA3E25717850C26C9CD0D89D");
    EXPECT_EQ(hexOf(sha1Digest(std::string(1000000, 'a'))), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F");
    // 吾輩は猫である。 CR LF 名前はまだ無い。 CR LF in CP932
    EXPECT_EQ(hexOf(sha1Digest("\x8C\xE1\x94\x79\x82\xCD\x94\x4C\x82\xC5\x82\xA0\x82\xE9\x81\x42\x0D\x0A"
                               "\x96\xBC\x91\x4F\x82\xCD\x82\xDC\x82\xBE\x96\xB3\x82\xA2\x81\x42\x0D\x0A")),
              "0DC00850DB45CECABBC36473258A31BCED6DD73A");
}

TEST(Sha1, FedInPiecesEqualsWhole) {
    const std::string text(1000, 'x');
    TDCP_sha1 hash;
    hash.Init();
    hash.UpdateStr(text.substr(0, 1));
    hash.UpdateStr("");
    hash.UpdateStr(text.substr(1, 63));
    hash.UpdateStr(text.substr(64));
    std::string digest(20, '\0');
    hash.Final(digest.data());
    EXPECT_EQ(digest, sha1Digest(text));
}

TEST(Sha1, ClassAndStateRules) {
    EXPECT_EQ(TDCP_sha1::Class().HashSize, 160);
    EXPECT_STREQ(TDCP_sha1::Class().Algorithm, "SHA1");
    auto made = TDCP_sha1::Class().Create();
    EXPECT_EQ(made->Algorithm(), "SHA1");
    EXPECT_EQ(made->HashSize(), 160);

    TDCP_sha1 hash;
    std::string digest(20, '\0');
    EXPECT_FALSE(hash.Initialized());
    EXPECT_THROW(hash.Update("a", 1), EDCP_hash);
    try {
        hash.Final(digest.data());
        FAIL() << "Final before Init";
    } catch (const EDCP_hash& e) {
        EXPECT_STREQ(e.what(), "Hash not initialized");
    }
    hash.Init();
    EXPECT_TRUE(hash.Initialized());
    hash.UpdateStr("abc");
    hash.Final(digest.data());
    // Handing out the digest wipes the state: no more feeding until started again.
    EXPECT_FALSE(hash.Initialized());
    EXPECT_THROW(hash.UpdateStr("d"), EDCP_hash);
    hash.Init();
    hash.UpdateStr("abc");
    std::string again(20, '\0');
    hash.Final(again.data());
    EXPECT_EQ(again, digest);
}

TEST(Sha1Hex, UpperCaseFortyDigitsAndEmptyForEmpty) {
    EXPECT_EQ(Sha1Hex(""), "");
    EXPECT_EQ(Sha1Hex("abc"), "A9993E364706816ABA3E25717850C26C9CD0D89D");
    // One byte of 0x00 is a text too: hashed, not taken for empty.
    EXPECT_EQ(Sha1Hex(std::string(1, '\0')), "5BA93C9DB0CFF93F52B521D7420E43F6EDA2784F");
}
