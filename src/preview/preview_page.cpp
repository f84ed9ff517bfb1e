// Building the print preview page.
#include "preview/preview_page.h"

#include <QFont>
#include <cmath>
#include <vector>

#include "text/byte_scan.h"
#include "text/codec.h"
#include "text/ruby_notation.h"
#include "text/cp932.h"

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

void appendReferences(std::string& out, std::u32string_view chars) {
    if (chars.empty()) chars = U"\uFFFD";  // bytes of the file that were not text
    for (char32_t c : chars) out += "&#" + std::to_string(static_cast<std::uint32_t>(c)) + ";";
}

// The body: every CR LF pair (scanning from the start, pairs not overlapping) as <BR>, the
// markup characters as entities. None of these bytes can be the second byte of a
// double-byte character, so a byte-wise scan never splits one; a stand-in is found at a
// character start (a user-defined-area lead byte there).
void appendBody(std::string& out, std::string_view text, const text::StandIns* standIns) {
    const bool any = standIns && !standIns->empty();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto b = static_cast<std::uint8_t>(c);
        if (b >= 0x80 && any) {
            const std::size_t n = text::cp932::charLength(text, i);
            const text::StandIns::Entry* e =
                n == 2 && text::isUserAreaLead(b) ? standIns->find(b, static_cast<std::uint8_t>(text[i + 1])) : nullptr;
            if (e) {
                const text::codec::EncodeResult own = text::codec::encode(std::u32string_view(e->chars));
                if (own.ok() && !e->chars.empty()) out += own.bytes;
                else appendReferences(out, e->chars);
            } else {
                out += text.substr(i, n);
            }
            i += n - 1;
            continue;
        }
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

// The body with each ruby group as <ruby> and each emphasis as <em class="bouten">, their
// text escaped as the rest. A group lies inside one paragraph, so the text between groups
// keeps its CR LF pairs whole.
void appendBodyWithRuby(std::string& out, std::string_view text, const text::StandIns* standIns) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    std::vector<text::ruby::Group> groups;
    std::size_t at = 0;  // written up to here
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t stop =
            static_cast<std::size_t>(text::findEither(bytes + start, bytes + text.size(), '\r', '\n') - bytes);
        text::ruby::parse(text.substr(start, stop - start), groups);
        for (const text::ruby::Group& g : groups) {
            const auto piece = [&](std::uint32_t a, std::uint32_t b) { return text.substr(start + a, b - a); };
            appendBody(out, text.substr(at, start + g.begin - at), standIns);
            if (g.kind == text::ruby::Kind::Ruby) {
                out += "<ruby>";
                appendBody(out, piece(g.baseBegin, g.baseEnd), standIns);
                out += "<rt>";
                appendBody(out, piece(g.rubyBegin, g.rubyEnd), standIns);
                out += "</rt></ruby>";
            } else {
                out += "<em class=\"bouten\">";
                appendBody(out, piece(g.baseBegin, g.baseEnd), standIns);
                out += "</em>";
            }
            at = start + g.end;
        }
        start = stop + 1;
    }
    appendBody(out, text.substr(at), standIns);
}

}  // namespace

std::string PreviewPage(std::string_view text, const QString& fontName, int fontSizePt, std::int32_t verHor,
                        std::int32_t retsu, bool showRuby, const text::StandIns* standIns) {
    std::string page;
    page.reserve(text.size() + text.size() / 8 + 256);
    page += "<HTML>";
    page += kCrLf;
    if (showRuby) {
        page += "<HEAD><STYLE>em.bouten{font-style:normal;text-emphasis:sesame;-webkit-text-emphasis:sesame}</STYLE></HEAD>";
        page += kCrLf;
    }
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
    if (showRuby)
        appendBodyWithRuby(page, text, standIns);
    else
        appendBody(page, text, standIns);
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
