// Building the print preview page.
#include "preview/preview_page.h"

#include <QFont>
#include <cmath>

#include "text/codec.h"

namespace verlo::preview {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// The font name as a single-quoted CSS string inside a double-quoted attribute, so that no
// name can add declarations: the string's own quote, the backslash and control characters
// as CSS hex escapes; markup characters as entities; the rest in the code page, a character
// the code page cannot hold as a numeric reference.
void appendFontName(std::string& out, const QString& name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '\'';
    for (char32_t c : name.toStdU32String()) {
        switch (c) {
        case U'&': out += "&amp;"; continue;
        case U'<': out += "&lt;"; continue;
        case U'>': out += "&gt;"; continue;
        case U'"': out += "&quot;"; continue;
        default: break;
        }
        if (c == U'\'' || c == U'\\' || c < 0x20 || c == 0x7F) {
            out += '\\';
            if (c >= 0x10) out += kHex[c >> 4];
            out += kHex[c & 0xF];
            out += ' ';  // ends the escape
            continue;
        }
        const auto encoded = text::codec::encode(std::u32string_view(&c, 1));
        if (encoded.ok())
            out += encoded.bytes;
        else
            out += "&#" + std::to_string(static_cast<std::uint32_t>(c)) + ";";
    }
    out += '\'';
}

// The body: every CR LF pair (scanning from the start, pairs not overlapping) as <BR>, the
// markup characters as entities. None of these bytes can be the second byte of a
// double-byte character, so a byte-wise scan never splits one.
void appendBody(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += "<BR>";
            ++i;
        } else if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else {
            out += c;
        }
    }
}

}  // namespace

std::string PreviewPage(std::string_view text, const QString& fontName, int fontSizePt, std::int32_t verHor,
                        std::int32_t retsu) {
    std::string page;
    page.reserve(text.size() + text.size() / 8 + 256);
    page += "<HTML>";
    page += kCrLf;
    page += "<BODY>";
    page += kCrLf;
    page += "<DIV style=\"";
    if (verHor == 1) {
        page += "direction:ltr;writing-mode:tb-rl;";
        // Computed wide: a large Retsu times the size must not wrap around.
        page += "Height:" + std::to_string(static_cast<std::int64_t>(fontSizePt) * retsu) + "pt;";
    }
    page += "font-size:" + std::to_string(fontSizePt) + "pt;";
    page += "font-family:";
    appendFontName(page, fontName);
    page += ";\">";
    page += kCrLf;
    appendBody(page, text);
    page += "</DIV></Body></html>";
    return page;
}

int PreviewFontSize(const QFont& font) {
    if (font.pointSize() > 0) return font.pointSize();
    if (font.pointSizeF() > 0) return static_cast<int>(std::lround(font.pointSizeF()));
    // A font sized in pixels: points at the usual 96 pixels per inch.
    if (font.pixelSize() > 0) return static_cast<int>(std::lround(font.pixelSize() * 72.0 / 96.0));
    return 0;
}

}  // namespace verlo::preview
