#include "files/text_format.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "files/jis_encodings.h"

namespace verlo::files {
namespace {

bool sameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

QString encodingCaption(Encoding encoding) {
    switch (encoding) {
    case Encoding::ShiftJis: return QStringLiteral("Shift-JIS");
    case Encoding::Utf8: return QStringLiteral("UTF-8");
    case Encoding::Utf8Bom: return QStringLiteral("UTF-8 BOM付き");
    case Encoding::EucJp: return QStringLiteral("EUC-JP");
    case Encoding::Utf16Le: return QStringLiteral("UTF-16LE");
    case Encoding::Utf16Be: return QStringLiteral("UTF-16BE");
    case Encoding::Iso2022Jp: return QStringLiteral("JIS (ISO-2022-JP)");
    }
    return {};
}

QString lineBreakCaption(LineBreak lineBreak) {
    switch (lineBreak) {
    case LineBreak::CrLf: return QStringLiteral("CR LF");
    case LineBreak::Lf: return QStringLiteral("LF");
    case LineBreak::Cr: return QStringLiteral("CR");
    }
    return {};
}

std::string_view encodingId(Encoding encoding) {
    switch (encoding) {
    case Encoding::ShiftJis: return "Shift_JIS";
    case Encoding::Utf8: return "UTF-8";
    case Encoding::Utf8Bom: return "UTF-8-BOM";
    case Encoding::EucJp: return "EUC-JP";
    case Encoding::Utf16Le: return "UTF-16LE";
    case Encoding::Utf16Be: return "UTF-16BE";
    case Encoding::Iso2022Jp: return "ISO-2022-JP";
    }
    return {};
}

std::string_view lineBreakId(LineBreak lineBreak) {
    switch (lineBreak) {
    case LineBreak::CrLf: return "CRLF";
    case LineBreak::Lf: return "LF";
    case LineBreak::Cr: return "CR";
    }
    return {};
}

std::optional<Encoding> encodingFromId(std::string_view id) {
    for (Encoding e : kEncodings) {
        if (sameWord(id, encodingId(e)) || sameWord(id, encodingCaption(e).toStdString())) return e;
    }
    if (sameWord(id, "Shift-JIS") || sameWord(id, "SJIS") || sameWord(id, "CP932")) return Encoding::ShiftJis;
    if (sameWord(id, "UTF8")) return Encoding::Utf8;
    return std::nullopt;
}

std::optional<LineBreak> lineBreakFromId(std::string_view id) {
    for (LineBreak b : kLineBreaks) {
        if (sameWord(id, lineBreakId(b)) || sameWord(id, lineBreakCaption(b).toStdString())) return b;
    }
    return std::nullopt;
}

std::string_view lineBreakBytes(LineBreak lineBreak) {
    switch (lineBreak) {
    case LineBreak::CrLf: return "\r\n";
    case LineBreak::Lf: return "\n";
    case LineBreak::Cr: return "\r";
    }
    return "\r\n";
}

LineBreak lineBreakOf(std::string_view bytes) {
    if (bytes == "\n") return LineBreak::Lf;
    if (bytes == "\r") return LineBreak::Cr;
    return LineBreak::CrLf;
}

text::StandIns::Acceptance holdsAnyCharacter(Encoding encoding) {
    switch (encoding) {
    case Encoding::ShiftJis: return false;
    case Encoding::EucJp: return {true, jis::eucJpHolds};
    case Encoding::Iso2022Jp: return {true, jis::iso2022JpHolds};
    default: return true;
    }
}

}  // namespace verlo::files
