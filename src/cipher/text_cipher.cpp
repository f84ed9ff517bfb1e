#include "cipher/text_cipher.h"

#include <algorithm>
#include <utility>

#include "cipher/hash.h"
#include "cipher/rijndael.h"
#include "cipher/text_cipher_stream.h"
#include "cipher/wipe.h"

namespace verlo::cipher {

namespace {

constexpr std::size_t kCheckLength = 4;

std::string checkPrefix(std::string_view text) { return Sha1Hex(text).substr(0, kCheckLength); }

}  // namespace

std::string Sha1Hex(std::string_view text) {
    PlainTextDigest digest;
    digest.add(text);
    return digest.finish();
}

std::string EncryptText(std::string_view plainText, std::string_view keyText) {
    TDCP_rijndael cipher;
    cipher.SetKeyFromText(keyText, TDCP_sha1::Class());
    std::string payload = checkPrefix(plainText);
    payload.append(plainText);
    std::string result = cipher.EncryptToText(payload);
    secureFill(payload.data(), payload.size(), 0);
    cipher.Wipe();
    return result;
}

std::optional<std::string> TryDecryptText(std::string_view encodedText, std::string_view keyText) {
    TDCP_rijndael cipher;
    cipher.SetKeyFromText(keyText, TDCP_sha1::Class());
    std::string decrypted = cipher.DecryptFromText(encodedText);
    cipher.Wipe();
    const std::size_t checkLength = std::min(decrypted.size(), kCheckLength);
    const std::string_view check(decrypted.data(), checkLength);
    const std::string_view rest = std::string_view(decrypted).substr(checkLength);
    if (check != checkPrefix(rest)) {
        secureFill(decrypted.data(), decrypted.size(), 0);
        return std::nullopt;
    }
    return std::string(rest);
}

std::optional<std::string> DecryptForDocument(std::string_view encodedText, std::string_view keyText) {
    std::optional<std::string> plain = TryDecryptText(encodedText, keyText);
    if (plain && plain->empty() && !encodedText.empty()) return std::nullopt;
    return plain;
}

std::string DecryptText(std::string_view encodedText, std::string_view keyText) {
    std::optional<std::string> plain = TryDecryptText(encodedText, keyText);
    return plain ? std::move(*plain) : std::string(kDecryptFailure);
}

}  // namespace verlo::cipher
