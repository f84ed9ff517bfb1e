// The cipher classes: key setup and its checks, the block cipher against published
// vectors, 8-bit CFB in both directions, and wiping.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "cipher/hash.h"
#include "cipher/rijndael.h"

using namespace verlo::cipher;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes fromHex(const std::string& hex) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

Bytes counting(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i);
    return b;
}

Bytes block(TDCP_rijndael& cipher, const Bytes& in) {
    Bytes out(16);
    cipher.EncryptBlock(in.data(), out.data());
    return out;
}

const Bytes kPlainBlock = fromHex("00112233445566778899aabbccddeeff");

// A hash class that hands out a fixed digest of the size asked for, or fails to be made.
int gFakeHashSize = 512;
bool gFakeHashFails = false;

class FakeHash : public TDCP_hash {
public:
    std::string Algorithm() const override { return "Fake"; }
    int HashSize() const override { return gFakeHashSize; }
    void Init() override { fInitialized = true; }
    void Update(const void*, std::size_t) override {}
    void Final(void* digest) override {
        Bytes d = counting(static_cast<std::size_t>(gFakeHashSize / 8));
        if (!d.empty()) std::memcpy(digest, d.data(), d.size());
        fInitialized = false;
    }
    void Burn() override { fInitialized = false; }
};

std::unique_ptr<TDCP_hash> makeFake() {
    if (gFakeHashFails) throw std::runtime_error("no hash today");
    return std::make_unique<FakeHash>();
}

TDCP_hashclass fakeClass(int hashSize) { return {"Fake", hashSize, &makeFake}; }

std::string messageOf(auto&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

// 8-bit CFB decryption one byte at a time, as the mode defines it.
Bytes referenceDecrypt(TDCP_rijndael& cipher, const Bytes& iv, const Bytes& in) {
    Bytes reg = iv, out(in.size()), e(16);
    for (std::size_t i = 0; i < in.size(); ++i) {
        cipher.EncryptBlock(reg.data(), e.data());
        out[i] = in[i] ^ e[0];
        reg.erase(reg.begin());
        reg.push_back(in[i]);
    }
    return out;
}

}  // namespace

TEST(Rijndael, StartsWipedInCbcMode) {
    TDCP_rijndael cipher;
    EXPECT_FALSE(cipher.Initialized());
    EXPECT_EQ(cipher.CipherMode, cmCBC);
    EXPECT_EQ(sizeof(cipher.CipherMode), 1u);
    EXPECT_EQ(cipher.Rounds(), 0);
    EXPECT_EQ(cipher.Algorithm(), "Rijndael");
    EXPECT_EQ(cipher.MaxKeySize(), 256);
    EXPECT_EQ(cipher.BlockSize(), 128);
    for (auto b : cipher.InitialVector()) EXPECT_EQ(b, 0xFF);
    for (auto b : cipher.FeedbackRegister()) EXPECT_EQ(b, 0xFF);
}

TEST(Rijndael, BlockCipherMatchesPublishedVectorsForEachKeyLength) {
    const Bytes key = counting(32);
    TDCP_rijndael cipher;
    struct Case { int bits; int rounds; const char* expected; };
    for (const Case& c : {Case{128, 10, "69c4e0d86a7b0430d8cdb78070b4c55a"},
                          Case{192, 12, "dda97ca4864cdfe06eaf70a0ec0d7191"},
                          Case{256, 14, "8ea2b7ca516745bfeafc49904b496089"},
                          // 17 bytes: AES-192 from the 17 key bytes and 7 zero bytes.
                          Case{136, 12, "05aee450d92b1d0b0dd8afdf15d72caf"},
                          // 4 bits pass the size check; no whole byte is taken: AES-128, zero key.
                          Case{4, 10, "c8a331ff8edd3db175e1545dbefb760b"}}) {
        cipher.SetKey(key.data(), c.bits);
        EXPECT_TRUE(cipher.Initialized());
        EXPECT_EQ(cipher.Rounds(), c.rounds) << c.bits;
        EXPECT_EQ(block(cipher, kPlainBlock), fromHex(c.expected)) << c.bits;
    }
}

TEST(Rijndael, RejectsInvalidKeySizes) {
    const Bytes key = counting(40);
    TDCP_rijndael cipher;
    for (int bits : {0, -8, 6, 130, 260, 264}) {
        EXPECT_EQ(messageOf([&] { cipher.SetKey(key.data(), bits); }), "Invalid key size") << bits;
        EXPECT_FALSE(cipher.Initialized());
    }
    EXPECT_THROW(cipher.SetKey(key.data(), 0), EDCP_cipher);
    // A refused size also drops a key set before.
    cipher.SetKey(key.data(), 192);
    EXPECT_THROW(cipher.SetKey(key.data(), 7), EDCP_cipher);
    EXPECT_FALSE(cipher.Initialized());
    EXPECT_THROW(block(cipher, kPlainBlock), EDCP_blockcipher);
}

TEST(Rijndael, DefaultInitialVectorIsTheEncryptionOfZeros) {
    TDCP_rijndael cipher;
    cipher.SetKeyFromText("", TDCP_sha1::Class());
    // openssl enc -aes-192-ecb -K <sha1("") 00000000> -nopad on 16 zero bytes
    const Bytes expected = fromHex("5fa5b5802730fc837e0dacb874e97d9f");
    EXPECT_EQ(Bytes(cipher.InitialVector().begin(), cipher.InitialVector().end()), expected);
    EXPECT_EQ(Bytes(cipher.FeedbackRegister().begin(), cipher.FeedbackRegister().end()), expected);
    EXPECT_EQ(cipher.Rounds(), 12);
}

TEST(Rijndael, KeyFromTextUsesTheDigestOrItsFirstMaxKeySizeBits) {
    TDCP_rijndael byText, byKey;
    byText.SetKeyFromText("abc", TDCP_sha1::Class());
    const std::string digest = sha1Digest("abc");
    byKey.SetKey(reinterpret_cast<const std::uint8_t*>(digest.data()), 160);
    EXPECT_EQ(block(byText, kPlainBlock), block(byKey, kPlainBlock));
    EXPECT_EQ(byText.InitialVector(), byKey.InitialVector());

    // Keying again replaces the key, as on a fresh object.
    byText.SetKeyFromText("other", TDCP_sha1::Class());
    byText.SetKeyFromText("abc", TDCP_sha1::Class());
    EXPECT_EQ(block(byText, kPlainBlock), block(byKey, kPlainBlock));

    // A 512-bit digest is cut to 256 bits: AES-256 with the digest's first 32 bytes.
    gFakeHashSize = 512;
    gFakeHashFails = false;
    TDCP_rijndael wide;
    wide.SetKeyFromText("anything", fakeClass(512));
    EXPECT_EQ(wide.Rounds(), 14);
    EXPECT_EQ(block(wide, kPlainBlock), fromHex("8ea2b7ca516745bfeafc49904b496089"));
}

TEST(Rijndael, AnyFailureOfKeySetupFromTextReadsAsTheDigestMessage) {
    const std::string message = "Unable to allocate sufficient memory for hash digest";
    TDCP_rijndael cipher;
    cipher.SetKeyFromText("abc", TDCP_sha1::Class());

    gFakeHashFails = true;
    EXPECT_EQ(messageOf([&] { cipher.SetKeyFromText("abc", fakeClass(160)); }), message);
    EXPECT_FALSE(cipher.Initialized());  // the old key is gone too
    gFakeHashFails = false;

    // A digest of 0 bits makes SetKey refuse the size; the message is replaced all the same.
    gFakeHashSize = 0;
    EXPECT_EQ(messageOf([&] { cipher.SetKeyFromText("abc", fakeClass(0)); }), message);
    EXPECT_THROW(cipher.SetKeyFromText("abc", fakeClass(0)), EDCP_cipher);
    gFakeHashSize = 512;
}

TEST(Rijndael, WithoutAKeyEveryOperationSaysCipherNotInitialized) {
    TDCP_rijndael cipher;
    std::uint8_t buf[16] = {};
    const std::string message = "Cipher not initialized";
    EXPECT_EQ(messageOf([&] { cipher.EncryptBlock(buf, buf); }), message);
    EXPECT_EQ(messageOf([&] { cipher.EncryptBlocks(buf, buf, 1); }), message);
    EXPECT_EQ(messageOf([&] { cipher.EncryptCfb8(buf, buf, 16); }), message);
    EXPECT_EQ(messageOf([&] { cipher.DecryptCfb8(buf, buf, 16); }), message);
    EXPECT_EQ(messageOf([&] { cipher.ResetFeedback(); }), message);
    EXPECT_EQ(messageOf([&] { cipher.EncryptToText("abc"); }), message);
    // The block cipher's exception is a cipher exception.
    EXPECT_THROW(cipher.EncryptBlock(buf, buf), EDCP_cipher);
}

TEST(Rijndael, WipeErasesKeyMaterial) {
    TDCP_rijndael cipher;
    cipher.SetKeyFromText("secret", TDCP_sha1::Class());
    ASSERT_TRUE(cipher.Initialized());
    cipher.Wipe();
    EXPECT_FALSE(cipher.Initialized());
    EXPECT_EQ(cipher.Rounds(), 0);
    for (auto b : cipher.InitialVector()) EXPECT_EQ(b, 0xFF);
    for (auto b : cipher.FeedbackRegister()) EXPECT_EQ(b, 0xFF);
    std::uint8_t buf[16] = {};
    EXPECT_THROW(cipher.EncryptBlock(buf, buf), EDCP_blockcipher);
    cipher.Wipe();  // wiping twice is harmless
    EXPECT_FALSE(cipher.Initialized());
}

TEST(Cfb8, DecryptionMatchesTheByteByByteDefinitionAcrossBatchSizes) {
    TDCP_rijndael cipher;
    cipher.SetKeyFromText("batch", TDCP_sha1::Class());
    const Bytes iv(cipher.InitialVector().begin(), cipher.InitialVector().end());
    for (std::size_t n : {1u, 15u, 16u, 17u, 1023u, 1024u, 1025u, 2048u, 5000u}) {
        Bytes cipherText(n);
        for (std::size_t i = 0; i < n; ++i) cipherText[i] = static_cast<std::uint8_t>(i * 151 + 3);
        const Bytes expected = referenceDecrypt(cipher, iv, cipherText);

        cipher.ResetFeedback();
        Bytes out(n);
        cipher.DecryptCfb8(cipherText.data(), out.data(), n);
        EXPECT_EQ(out, expected) << n;
        // The register ends as the last 16 bytes of (initial vector, ciphertext).
        Bytes tail = iv;
        tail.insert(tail.end(), cipherText.begin(), cipherText.end());
        EXPECT_EQ(Bytes(cipher.FeedbackRegister().begin(), cipher.FeedbackRegister().end()),
                  Bytes(tail.end() - 16, tail.end()))
            << n;

        cipher.ResetFeedback();
        Bytes inPlace = cipherText;
        cipher.DecryptCfb8(inPlace.data(), inPlace.data(), n);
        EXPECT_EQ(inPlace, expected) << n << " in place";
    }
}

TEST(Cfb8, BothDirectionsRoundTripAndContinueFromTheRegister) {
    TDCP_rijndael cipher;
    cipher.SetKeyFromText("\x94\xE9\x96\xA7", TDCP_sha1::Class());
    Bytes plain(3001);
    for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<std::uint8_t>(i * 7);

    Bytes whole(plain.size());
    cipher.EncryptCfb8(plain.data(), whole.data(), plain.size());
    EXPECT_NE(whole, plain);
    EXPECT_EQ(whole.size(), plain.size());

    // In pieces (one of them empty), in place: the same bytes, since the register carries on.
    cipher.ResetFeedback();
    Bytes pieces = plain;
    cipher.EncryptCfb8(pieces.data(), pieces.data(), 1);
    cipher.EncryptCfb8(pieces.data() + 1, pieces.data() + 1, 0);
    cipher.EncryptCfb8(pieces.data() + 1, pieces.data() + 1, 1500);
    cipher.EncryptCfb8(pieces.data() + 1501, pieces.data() + 1501, 1500);
    EXPECT_EQ(pieces, whole);

    cipher.ResetFeedback();
    Bytes back(plain.size());
    cipher.DecryptCfb8(whole.data(), back.data(), 1000);
    cipher.DecryptCfb8(whole.data() + 1000, back.data() + 1000, whole.size() - 1000);
    EXPECT_EQ(back, plain);

    // A count of 0 leaves the register alone.
    const auto before = cipher.FeedbackRegister();
    cipher.DecryptCfb8(whole.data(), back.data(), 0);
    cipher.EncryptCfb8(whole.data(), back.data(), 0);
    EXPECT_EQ(cipher.FeedbackRegister(), before);
}

TEST(Cfb8, TextOperationsIgnoreTheCipherMode) {
    TDCP_rijndael cbc, ofb;
    cbc.SetKeyFromText("k", TDCP_sha1::Class());
    ofb.SetKeyFromText("k", TDCP_sha1::Class());
    ofb.CipherMode = cmOFB;
    const std::string text = cbc.EncryptToText("some text");
    EXPECT_EQ(ofb.EncryptToText("some text"), text);
    TDCP_rijndael reader;
    reader.CipherMode = cmCTR;
    reader.SetKeyFromText("k", TDCP_sha1::Class());
    EXPECT_EQ(reader.DecryptFromText(text), "some text");
}
