// The encrypted text form: known answers computed outside this program with
// `openssl enc -aes-192-cfb8` (key SHA-1 of the key text followed by 4 zero bytes, initial
// vector from `openssl enc -aes-192-ecb` on 16 zero bytes) and `sha1sum`, and the edge cases
// of the form.
#include <gtest/gtest.h>

#include <string>

#include "cipher/text_cipher.h"
#include "cipher/rijndael.h"

using namespace verlo::cipher;

namespace {

const std::string kAsciiKey = "Verlo key 42";
const std::string kJapaneseKey = "\x94\xE9\x96\xA7\x82\xCC\x8C\xAE\x82\xC5\x82\xB7\x82\xE6";  // 秘密の鍵ですよ
// 吾輩は猫である。 CR LF 名前はまだ無い。 CR LF
const std::string kJapaneseText =
    "\x8C\xE1\x94\x79\x82\xCD\x94\x4C\x82\xC5\x82\xA0\x82\xE9\x81\x42\x0D\x0A"
    "\x96\xBC\x91\x4F\x82\xCD\x82\xDC\x82\xBE\x96\xB3\x82\xA2\x81\x42\x0D\x0A";

std::string longText() {  // 3000 bytes of every value
    std::string s;
    for (int i = 0; i < 3000; ++i) s += static_cast<char>((i * 131 + 7) & 0xFF);
    return s;
}

// longText() under kJapaneseKey.
const char kLongEncrypted[] =
    "JxyMUszRytv9kEvtakmt219ni/by9qoSimz/0YnMo9Rlunt5E7ZwPrfniJWp5xYvDl0MdT+Jz72ByFvU3Q5JKphO"
    "v9E47mAPqVynnpSz3gOJjayT8lkMktfDqSDWFuPs8POWASLHgkWUw0yBBI9v2+ovSSskPkmAekbBT5rwajCvdD8s"
    "txhYKhy+FMLA3VCMIXnDaVgkUXApAca/LM51ARUQzDzjdoqVE3MbZSXNjuV0vZe70ZY2kRQ7HaXehjmDGWJpcEem"
    "qQwnERPbx2LIJkTOCetDnM9wq+CYBowjDwfJz1Ib3le45oUNC8vnMKV0vhEJzZuQ2zdB/B/6aOmTqZyFsSC0GMvd"
    "YoC1tcJ9QItKDq8QxZexPy1f+/7Ajab6UhtvXroU8QvJjxdgAoc+sIEWm98OqgPHzzcTKTQmYyButEHqdnRlmpt5"
    "3nYdwZizXiiDfHWkgWZiO7bflm2Nhfrvd+E/BPXcfIokj2+ltci21EJwMhWcfqP+b3CbANT6Kkb4K3TIsngCvngX"
    "I+LkfexvhaK7x3X6KZ6ZnHxUvmyItnD14Vay0AmtaeE7JmJ8QH9lOgP3TIra+yX4fziGsRVHO3YdiyIfIsVaEriO"
    "Tg3Vr4TexpHlh2iZzjaogqk9U5kN2mRldVsLrXLBVxWpJ2rJ2tR53BXQe7DX5y/SLt45s8V2qUs9t551MNBD3BaB"
    "oKnnbONBTtICrMn2vkEMXnUtvo7pHGyLFLqhUPw8zO9KBz1MidsI8qLsyZj4zGgDWdjVNOhLD3VH1iwsBwekm/yx"
    "BQkSgrPgcuPc/ozBQTaCMgQHDCJ7ZQxCxgM+/3bYG5VR8lWABho8tWE0XUIHKaKrrE3c5czWYU7coKeYScQEqsC2"
    "9AMpIDfTggSHbPcNOtl5LpCRbl1sz/DSrbcJtAYtmfBub5BLd1MG49QEXO4nJoN9eIf11iLXUUXulpqoHjrGY9an"
    "RSyW+h687v9bluLII+9M+7h4ZIXympwvsfmBvCrnborQP6kw6yA+bX7s4K0AvxtQrGDNxfNGxzQDsMw9Ac+1oni1"
    "VTLJ1jpnT/UpR8/8c3WG7Kxdkf//lnWyt1WioAToiqzhxA1BB6VZyKPTeQSRJreWWF/7zJJeCvH15SUdzg4mkvTj"
    "GBXm29j/x/5XvA5H6mDPl/5j6UwCCgQIHH/7U8q9TMqx2l2cbIJqdnEwoBWpAjcnzsCVVNoklxIK6meD4JIDsD7t"
    "23xxbfAl/oKGK66SxEAUky+nkCAISBuah6kVHEM0b/xeOMpNRvH+Woy6jOXFGLSp6KknUbzeUruwRG9NWAZtjxE3"
    "prPkxQgV7rWVTSfj8A7tKJDILL7COPBmkoUKsDbCAoBshT++nih4HZx96PuunVD4Dl7dnHjbVayNs/VZTkCAQnJ+"
    "WtPEsLU3FXTrC1mRzCTeS/Giz898D4n8SYMKSWRSJk9FbTxbxGN+IyyndkKOOOEkXRyfswbX0Krbvhnb2wOuMZEa"
    "Hk/FdlYXaTkVgMGcGiFU9tOglNDYW9J0zmjEiFc3VCj4E2pzuCUvwDFr7yhndnT1uCst8zxU0Wcl1h9l+Z7/Q2yt"
    "aDY1LqA2kbp3kwA4uNpTRlBbQoQpFTY91okV1qFJ45GProDSSaoVpD2+99VBz8+Nfax8LS9m5FomNGAXd+iglE4F"
    "o7jQ96PQRbyWNA5PHxEnoy+oICqBE9EkMIL+m+nDQokzytmiwO1SC7dIZWc1ECJo6IhcIU5YopIUSGaQQcgea1rt"
    "VyMr6UUCzHXm2SzDKEqE2mggQQxXM92co9z6u/WIOwYbvhPZO8oOjNy75+xB30bt5RD4v6QlhwCAsighd8xWvQPm"
    "Oa6Hd16JeLl3prwAjoP+HuCavS9aLb8mS98jTuapIL/W4mSxQBugRN8C1BtDoKtvzkTlL8PzgxcdwNb0csHHCEZz"
    "O9WB0DYj8GZsPhHDsM94K3YZ9RYgos32ki+amIHahFCJPnp6H62VIeVJ3eFVcLK2IOH6/4vNOq0rh8Yke9E4r1mo"
    "7sC93/zNAjYrZbuFzQL2lLq3jWjTIxEj7oDe4LrScoSL/4WE4AUKZO7JGpm9BNc99I46YAD2MU5z6yr/SPWWYHzg"
    "oSruyBWATUWWVPuCR8S/CXE5K0XwLANAik/sUg+Aa8EXU2kGaUh13QTySUwlEANhilVvjCwO9cT5xX58JSl9sjEv"
    "khx4YYYbzGqWi6STgYzXmrrZtNcubDSDa/HRiVPA/gpthcmzhOJ8CObiXbMQuET6AUpHQVaJ/57UW3npDNZF4Wex"
    "Se/Aab8FxaDXsuC+5dX7gHQVfOGBDuRZBxIdNjDwquhaaTtPj5/j4NIocFlvM6PX8DNWrRShLw0pb6okZbf3W2Zr"
    "Ca8I8amY9EmdIlORLqeFQKrCKC//OWyLcKCNqDT1S6mK4AzBX/r+RYn+8TQqbauffy+xT41uuBqWhFDtQR4Wsg96"
    "XOmYA/rfJ71NPih1c3xP48IUbt5AsviSr+lJs2bG37geIM/Hn+KZKhBahIsF33FRsmstWaeSOt1Zqf4yVMH1ttjS"
    "5Zbs9M9s8jvylQ6AyooLosIf7Gu91sXKG+Few/9RaeHcHRKqfazhsgRwSs6AxxnDjWrvspvveDbzwEMleA3CHXPv"
    "fqqJyqBbvYHC+wFop06mGQPhH9+/KNt4wjMnIrEvGzVE97/U3AmAiLGQCwZbBKOTx3vhDjTTU0ptGAt5ELWr46vr"
    "qVJVrVvF72EAVGM3peGkCHT7W/bxeN3OnTyqE2DTXZ91Tcq8TE6U91THFUPCEER+1C1hAccOofFOT/OzuEzjIpNX"
    "jFRt78DjwvPgVzJMJRyhxzrc5XuH6kO9AeF0Rk4Q59gdVqJNQvZM1+R+HiVYWuU0n6cct7VaMHn0OhysYMfwYZCk"
    "mAT/NKRqRs1ldPRTwukmOghoRR5m+oKGnvZqs2458+1AzY9+UN5+lgrdARCDyms4t0PDMd/YeQ9LKctfqLtpXX+M"
    "l5AL+iKfxPjw5x1SgTGJL+w6qIW+XabmLF+Fx8vSAKElQGWco6aGPtveuTOW+cPIu6QBEwKyo6oH6H7xgjHE9A+l"
    "XeQjqq3pmWhwp88ZJ4pSKdkTYzBo/c3hLwYI8GyvoP8QHSB7zi1e5Q4a+YGzAbXi3dypxEpTY4fTvIYJ2B3C8D0N"
    "48FoUuzFpZ9SxV5i4wRoLg2c0sDzTFFMZwiw/RwODUPYgRUPPO23ZzZa+Ffr5QUaXbkhGVJAKFpGU0Cbu+Us/VZn"
    "Vp9yY/vy2NqETlGT6Jh7NzMvpIkTe4HWEyD4vCtG6w2jSuYz9iF/dlS4Ngrd1qxzwYRmnbPzqcHvhLzlTj/3lCcS"
    "SiKa1/qUYyQgRT35gyYrK0l6u+kKbRePkTJPKuvDYzE/cSk65uEbSWxkxUR0VbKT4Mh4BjgqIu04jltupS+3UUsV"
    "s5BlsQNzAJUzhDKHYweCxY2Y1+1mgOqzHMEGzDnRqcGqkqOQAN1wiAhHDfMz5fkEfgzSmwkWCSvHMBUUKN8Ry5qW"
    "oD2SdIuKSPpxhPDmiJOW5AwueXgmXQfBm8cq6pks6BugQjXCcpe9J3yMOyksHSiVi4xvwGyIuk7PfjqD8lekoqsv"
    "n5YTfp0x3mmAc8kD24eddOIMAMrDCgmFs8qh6uIY7xwffjZQPTjaQJk8NEuwYFR/CSn0OYrkB1rG4PbCYQNnvtMl"
    "aGUuOoY61Ap8BLU95KETgkrDp97+EJmm5GHiLx01IN1b6UYdKWmD4z+n44De8w6mgvNHWfqcEV/RJZP24LSIBJe0"
    "87vPcMj0odPeJLZAvv3emWJZS4kFDeMjZIuZL9HqKs2V5TwQoWZkVtO6FtV/Imt4V3xUcd352e4TQv7MA0RdRkKR"
    "5ziX+PjOsJwxAJJzkFurHnSPpAEJV9cycnsUO873lQ+gy4dgvBZ005mC7BM0aSpQBVKbJMwqNsJrAwzvYbfgOUt1"
    "mbQ3zuiC+1JTQhGD70+nCOFaUB6Jw1EQCCMaKVdNgce7dQ=="
    ;

struct KnownAnswer {
    const char* name;
    std::string plain;
    std::string key;
    std::string encrypted;
};

const KnownAnswer kKnownAnswers[] = {
    {"empty text, empty key", "", "", ""},
    {"empty text, ASCII key", "", kAsciiKey, ""},
    {"empty text, Japanese key", "", kJapaneseKey, ""},
    {"one byte, empty key", "A", "", "E/M0Rc8="},
    {"one byte, ASCII key", "A", kAsciiKey, "8lnMJc8="},
    {"one byte, Japanese key", "A", kJapaneseKey, "KB3a/94="},
    {"Japanese with CR LF, empty key", kJapaneseText, "", "FUGqgKOj/j9rqMAR0ia0T9KBLYKx3vFuntF2pZuZh/WTn7cTjzRYvg=="},
    {"Japanese with CR LF, ASCII key", kJapaneseText, kAsciiKey,
     "9KYyY1GTFdrI79DLKz6b0ViKSqd+8wRL07kDMM8q450TQDuzztHI5Q=="},
    {"Japanese with CR LF, Japanese key", kJapaneseText, kJapaneseKey,
     "LoA5yJi4IdQBawxAKL0I7vk7RfuH37dZXJcqI9IKcQkfGZjA4vfP3g=="},
    {"3000 bytes, Japanese key", longText(), kJapaneseKey, kLongEncrypted},
};

// The payload encrypted and encoded by hand, for texts the encryption would never make.
std::string encryptPayload(const std::string& payload, const std::string& key) {
    TDCP_rijndael cipher;
    cipher.SetKeyFromText(key, TDCP_sha1::Class());
    return cipher.EncryptToText(payload);
}

}  // namespace

TEST(EncryptedForm, KnownAnswersBothWays) {
    for (const KnownAnswer& k : kKnownAnswers) {
        EXPECT_EQ(EncryptText(k.plain, k.key), k.encrypted) << k.name;
        EXPECT_EQ(TryDecryptText(k.encrypted, k.key), k.plain) << k.name;
        EXPECT_EQ(DecryptText(k.encrypted, k.key), k.plain) << k.name;
    }
    EXPECT_EQ(std::string(kLongEncrypted).size(), 4u * ((3000 + 6) / 3));
}

TEST(EncryptedForm, LengthAlphabetAndDeterminism) {
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";
    for (std::size_t n : {1u, 2u, 3u, 4u, 5u, 100u, 101u, 102u}) {
        const std::string plain(n, '\n');
        const std::string text = EncryptText(plain, "key");
        EXPECT_EQ(text.size(), 4 * ((n + 6) / 3)) << n;
        EXPECT_EQ(text.find_first_not_of(alphabet), std::string::npos) << n;  // one line, nothing else
        EXPECT_EQ(EncryptText(plain, "key"), text) << n;
        const std::string other = EncryptText(plain, "key2");
        EXPECT_EQ(other.size(), text.size());
        EXPECT_NE(other, text);
    }
}

TEST(EncryptedForm, KeysAreTakenByteForByte) {
    const std::string text = EncryptText(kJapaneseText, "Key");
    EXPECT_EQ(DecryptText(text, "Key"), kJapaneseText);
    for (const char* wrong : {"key", "KEY", "Key ", " Key", "", "Key\r\n"}) {
        EXPECT_EQ(TryDecryptText(text, wrong), std::nullopt) << '"' << wrong << '"';
        EXPECT_EQ(DecryptText(text, wrong), kDecryptFailure) << '"' << wrong << '"';
    }
    // The empty key is a key like any other.
    const std::string withEmpty = EncryptText(kJapaneseText, "");
    EXPECT_EQ(DecryptText(withEmpty, ""), kJapaneseText);
    EXPECT_EQ(TryDecryptText(withEmpty, " "), std::nullopt);
}

TEST(EncryptedForm, ShortAndBrokenTexts) {
    // 0 to 3 bytes decode to nothing: the empty text, not a failure, under any key.
    for (const char* s : {"", "A", "==", "\x82\xA0", "abc"}) {
        EXPECT_EQ(TryDecryptText(s, "any"), std::string()) << s;
        EXPECT_EQ(DecryptText(s, ""), "") << s;
    }
    // Texts that decode to 1 to 4 bytes cannot hold a check and a text.
    for (const char* s : {"QQ==", "QUI=", "QUJD", "QUJDRA=="}) {
        EXPECT_EQ(TryDecryptText(s, "any"), std::nullopt) << s;
        EXPECT_EQ(DecryptText(s, "any"), kDecryptFailure) << s;
    }
    const std::string text = EncryptText(kJapaneseText, kAsciiKey);
    // One trailing line break is ignored; two make a group that decodes to extra bytes.
    EXPECT_EQ(DecryptText(text + "\r\n", kAsciiKey), kJapaneseText);
    EXPECT_EQ(TryDecryptText(text + "\r\n\r\n", kAsciiKey), std::nullopt);
    // A part of an encrypted text, a damaged character, a character outside the alphabet.
    EXPECT_EQ(TryDecryptText(text.substr(0, 20), kAsciiKey), std::nullopt);
    std::string damaged = text;
    damaged[10] = damaged[10] == 'A' ? 'B' : 'A';
    EXPECT_EQ(TryDecryptText(damaged, kAsciiKey), std::nullopt);
    damaged = text;
    damaged[5] = '*';
    EXPECT_EQ(TryDecryptText(damaged, kAsciiKey), std::nullopt);
    EXPECT_EQ(TryDecryptText("not an encrypted text at all", kAsciiKey), std::nullopt);
}

TEST(EncryptedForm, FailureIsDecidedByTheCheckNotByTheText) {
    // A plaintext that reads like the failure text decrypts as a success.
    const std::string failureLike(kDecryptFailure);
    const std::string text = EncryptText(failureLike, "k");
    EXPECT_EQ(text, "1A/let1A92gEygKS");  // openssl enc -aes-192-cfb8, as above
    EXPECT_EQ(TryDecryptText(text, "k"), failureLike);
    EXPECT_EQ(TryDecryptText(text, "j"), std::nullopt);
}

TEST(EncryptedForm, CheckPrefixIsUpperCaseHex) {
    const std::string plain = "abc";  // SHA-1 A9993E36...: its prefix holds letters
    ASSERT_EQ(Sha1Hex(plain).substr(0, 4), "A999");
    EXPECT_EQ(TryDecryptText(encryptPayload("A999abc", "k"), "k"), plain);
    EXPECT_EQ(TryDecryptText(encryptPayload("a999abc", "k"), "k"), std::nullopt);
    // A payload of exactly the check of an empty rest is 4 bytes: never a match.
    EXPECT_EQ(TryDecryptText(encryptPayload("A999", "k"), "k"), std::nullopt);
}
