// The text routines of the encryption commands.
//
// Encrypted text form of a plaintext P (CP932 bytes, at least one) under a key text K:
// the key is SHA-1(K) followed by 4 zero bytes (AES-192), the initial vector the
// encryption of 16 zero bytes; the first 4 characters of Sha1Hex(P) followed by P are
// encrypted in 8-bit CFB and written as one line of Base64. An empty plaintext gives the
// empty text. The same key and text always give the same encrypted text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace verlo::cipher {

// "だめです" in CP932: what DecryptText gives when the check does not match.
inline constexpr std::string_view kDecryptFailure = "\x82\xBE\x82\xDF\x82\xC5\x82\xB7";

// SHA-1 of the bytes of text as 40 upper-case hexadecimal digits; "" for an empty text.
std::string Sha1Hex(std::string_view text);

// The encrypted text form of plainText under keyText (both byte strings, the key taken
// exactly as given: no trimming, may be empty).
std::string EncryptText(std::string_view plainText, std::string_view keyText);

// The plaintext when the check prefix of the decrypted bytes matches, std::nullopt when
// it does not (wrong key, not an encrypted text, a part of one). A text shorter than 4
// bytes decodes to nothing and gives the empty text.
std::optional<std::string> TryDecryptText(std::string_view encodedText, std::string_view keyText);

// What the decrypt commands (the key dialog, verlo --decrypt) put in place of encodedText:
// TryDecryptText's plaintext, except that a text which is not empty but too short to
// decode to anything (1 to 3 bytes) fails too, instead of giving the empty text, so that a
// stray fragment is never replaced by nothing. The empty text gives the empty text.
std::optional<std::string> DecryptForDocument(std::string_view encodedText, std::string_view keyText);

// TryDecryptText with the failure written as kDecryptFailure. A caller that must tell a
// failure from a plaintext that happens to read "だめです" uses TryDecryptText.
std::string DecryptText(std::string_view encodedText, std::string_view keyText);

}  // namespace verlo::cipher
