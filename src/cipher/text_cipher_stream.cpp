#include "cipher/text_cipher_stream.h"

#include <algorithm>

#include "cipher/base64.h"
#include "cipher/text_cipher.h"
#include "cipher/wipe.h"

namespace verlo::cipher {

namespace {

constexpr std::size_t kCheckLength = 4;

bool isCheckDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

void wipe(std::string& s) { secureFill(s.data(), s.size(), 0); }

}  // namespace

PlainTextDigest::PlainTextDigest() { hash_.Init(); }

void PlainTextDigest::add(std::string_view piece) {
    hash_.UpdateStr(piece);
    size_ += piece.size();
}

std::string PlainTextDigest::finish() {
    std::string digest(TDCP_sha1::kHashSize / 8, '\0');
    hash_.Final(digest.data());
    if (size_ == 0) return {};
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char b : digest) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 15];
    }
    return hex;
}

TextEncryptor::TextEncryptor(std::string_view keyText, std::string_view plainSha1Hex) {
    cipher_.SetKeyFromText(keyText, TDCP_sha1::Class());
    // The check characters come first; their encrypted bytes wait for the text's.
    const std::string_view check = plainSha1Hex.substr(0, kCheckLength);
    held_.resize(check.size());
    cipher_.EncryptCfb8(reinterpret_cast<const std::uint8_t*>(check.data()),
                        reinterpret_cast<std::uint8_t*>(held_.data()), check.size());
}

TextEncryptor::~TextEncryptor() {
    wipe(held_);
    wipe(buffer_);
    cipher_.Wipe();
}

void TextEncryptor::encrypt(std::string_view plain, std::string& out) {
    buffer_.assign(held_);
    const std::size_t at = buffer_.size();
    buffer_.resize(at + plain.size());
    cipher_.EncryptCfb8(reinterpret_cast<const std::uint8_t*>(plain.data()),
                        reinterpret_cast<std::uint8_t*>(buffer_.data() + at), plain.size());
    const std::size_t whole = buffer_.size() / 3 * 3;
    out += EncodeBase64(std::string_view(buffer_).substr(0, whole));
    held_.assign(buffer_, whole);
    wipe(buffer_);
}

void TextEncryptor::add(std::string_view plain, std::string& out) { encrypt(plain, out); }

void TextEncryptor::finish(std::string& out) {
    out += EncodeBase64(held_);
    wipe(held_);
    held_.clear();
}

TextDecryptor::TextDecryptor(std::string_view keyText) { cipher_.SetKeyFromText(keyText, TDCP_sha1::Class()); }

TextDecryptor::~TextDecryptor() {
    wipe(buffer_);
    wipe(check_);
    cipher_.Wipe();
}

void TextDecryptor::add(std::string_view encoded, std::string& out) {
    if (encoded.empty()) return;
    anyText_ = true;
    buffer_.clear();
    if (!heldText_.empty()) {
        const std::size_t take = std::min(encoded.size(), 4 - heldText_.size());
        heldText_.append(encoded.substr(0, take));
        encoded.remove_prefix(take);
        if (heldText_.size() < 4) return;
        AppendDecodedBase64(heldText_, buffer_);
        heldText_.clear();
    }
    const std::size_t whole = encoded.size() / 4 * 4;
    AppendDecodedBase64(encoded.substr(0, whole), buffer_);
    heldText_.assign(encoded.substr(whole));
    auto* p = reinterpret_cast<std::uint8_t*>(buffer_.data());
    cipher_.DecryptCfb8(p, p, buffer_.size());
    std::string_view plain = buffer_;
    const std::size_t toCheck = std::min(plain.size(), kCheckLength - check_.size());
    check_.append(plain.substr(0, toCheck));
    plain.remove_prefix(toCheck);
    digest_.add(plain);
    out += plain;
    wipe(buffer_);
}

bool TextDecryptor::hopeless() const { return !std::all_of(check_.begin(), check_.end(), isCheckDigit); }

bool TextDecryptor::finish() {
    const std::string hex = digest_.finish();
    if (check_.empty()) return !anyText_;          // nothing decoded: only the empty text passes
    if (hex.empty()) return false;                 // a check with nothing after it
    return check_ == std::string_view(hex).substr(0, kCheckLength);
}

}  // namespace verlo::cipher
