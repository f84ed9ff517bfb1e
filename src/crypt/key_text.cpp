#include "crypt/key_text.h"

#include <string_view>

#include "text/codec.h"

namespace verlo::crypt {

KeyBytes keyBytesFromText(const QString& key) {
    const std::u16string_view units(reinterpret_cast<const char16_t*>(key.utf16()), static_cast<std::size_t>(key.size()));
    text::codec::EncodeResult encoded = text::codec::encode(units);
    KeyBytes result;
    if (encoded.ok()) {
        result.bytes = std::move(encoded.bytes);
    } else {
        for (char32_t c : encoded.unencodable) result.unencodable += QString::fromUcs4(&c, 1);
    }
    return result;
}

QString unencodableKeyMessage(const QString& characters) {
    return QStringLiteral("鍵に Shift-JIS で表せない文字があります: %1").arg(characters);
}

}  // namespace verlo::crypt
