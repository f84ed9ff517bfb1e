// Helpers the Qt tests share: the code page's bytes as the QString a widget shows or the
// clipboard holds, and the font the pictures are judged in.
#pragma once

#include <QFont>
#include <QString>
#include <string>

#include "text/codec.h"

namespace verlo::test {

inline QString fromCp932(const std::string& bytes) { return QString::fromStdU16String(text::codec::decodeUtf16(bytes)); }

// IPA Gothic at a pixel size (installed with the program's dependencies).
inline QFont ipaGothic(int pixelSize) {
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(pixelSize);
    return font;
}

// IPA Mincho at a pixel size, for what must hold in more than one face.
inline QFont ipaMincho(int pixelSize) {
    QFont font(QStringLiteral("IPAMincho"));
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace verlo::test
