// How a document's text is kept in its file: the encoding and the line break. The document
// itself is always CP932 bytes with its line breaks as read; this is what Save turns it into,
// what the status bar shows and what a recovery copy records.
#pragma once

#include <QString>
#include <array>
#include <optional>
#include <string_view>

#include "text/stand_ins.h"

namespace verlo::files {

enum class Encoding { ShiftJis, Utf8, Utf8Bom, EucJp, Utf16Le, Utf16Be, Iso2022Jp };
enum class LineBreak { CrLf, Lf, Cr };

// In the order the menus list them.
inline constexpr std::array<Encoding, 7> kEncodings = {Encoding::ShiftJis, Encoding::Utf8,    Encoding::Utf8Bom,
                                                       Encoding::EucJp,    Encoding::Utf16Le, Encoding::Utf16Be,
                                                       Encoding::Iso2022Jp};
inline constexpr std::array<LineBreak, 3> kLineBreaks = {LineBreak::CrLf, LineBreak::Lf, LineBreak::Cr};

// How an ISO-2022-JP file switches between its character sets, taken from the file when it
// is read (its first escapes, and where it leaves kanji), so that it is written the same way.
struct Iso2022Style {
    bool roman = false;            // one-byte text as JIS X 0201 Roman (ESC ( J), not ASCII (ESC ( B)
    bool jis1978 = false;          // kanji after ESC $ @, not ESC $ B
    bool controlsInKanji = false;  // line breaks, tabs and spaces stand within kanji (else one-byte text comes first)
    bool returnAtEnd = true;       // a text ending in kanji returns to one-byte text

    bool operator==(const Iso2022Style&) const = default;
};

struct TextFormat {
    constexpr TextFormat() = default;
    constexpr explicit TextFormat(Encoding encoding, LineBreak lineBreak = LineBreak::CrLf, bool utf16Bom = true,
                                  Iso2022Style iso2022 = {})
        : encoding(encoding), lineBreak(lineBreak), utf16Bom(utf16Bom), iso2022(iso2022) {}

    Encoding encoding = Encoding::ShiftJis;
    LineBreak lineBreak = LineBreak::CrLf;
    // A UTF-16 file read without a byte-order mark is written without one.
    bool utf16Bom = true;
    Iso2022Style iso2022;

    bool operator==(const TextFormat&) const = default;
};

// The name in menus and the status bar: "Shift-JIS", "UTF-8 BOM付き", "CR LF", ...
QString encodingCaption(Encoding encoding);
QString lineBreakCaption(LineBreak lineBreak);

// The name in the settings file and on the command line: "Shift_JIS", "UTF-8", "UTF-8-BOM",
// "EUC-JP", "UTF-16LE", "UTF-16BE", "ISO-2022-JP"; "CRLF", "LF", "CR". Reading accepts
// either case and the captions too.
std::string_view encodingId(Encoding encoding);
std::string_view lineBreakId(LineBreak lineBreak);
std::optional<Encoding> encodingFromId(std::string_view id);
std::optional<LineBreak> lineBreakFromId(std::string_view id);

// The bytes of a line break, and the kind a line break's bytes are.
std::string_view lineBreakBytes(LineBreak lineBreak);
LineBreak lineBreakOf(std::string_view bytes);

// What a document whose file is in the encoding may hold: only what CP932 holds (Shift-JIS);
// any character (UTF-8, UTF-16); what the encoding holds in a common form (EUC-JP,
// ISO-2022-JP: files/jis_encodings.h), whether CP932 holds it or not.
text::StandIns::Acceptance holdsAnyCharacter(Encoding encoding);

}  // namespace verlo::files
