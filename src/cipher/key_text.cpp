#include "cipher/key_text.h"

#include "text/codec.h"

namespace verlo::cipher {

namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

KeyBytes keyBytesFromText(std::u16string_view key) {
    text::codec::EncodeResult encoded = text::codec::encode(key);
    KeyBytes result;
    if (encoded.ok())
        result.bytes = std::move(encoded.bytes);
    else
        result.unencodable = std::move(encoded.unencodable);
    return result;
}

std::string unencodableKeyMessage(std::u32string_view characters) {
    std::string message = "鍵に Shift-JIS で表せない文字があります: ";
    for (char32_t c : characters)
        appendUtf8(message, c >= 0xD800 && c < 0xE000 ? U'\uFFFD' : c);
    return message;
}

}  // namespace verlo::cipher
