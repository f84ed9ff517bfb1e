// How a document's text is kept in its file: the encoding and the line break. The document
// itself is always CP932 bytes with its line breaks as read; this is what Save turns it into,
// what the status bar shows and what a recovery copy records.
#pragma once

#include <QString>
#include <array>
#include <optional>
#include <string_view>

namespace verlo::files {

enum class Encoding { ShiftJis, Utf8, Utf8Bom, EucJp, Utf16Le, Utf16Be, Iso2022Jp };
enum class LineBreak { CrLf, Lf, Cr };

// In the order the menus list them.
inline constexpr std::array<Encoding, 7> kEncodings = {Encoding::ShiftJis, Encoding::Utf8,    Encoding::Utf8Bom,
                                                       Encoding::EucJp,    Encoding::Utf16Le, Encoding::Utf16Be,
                                                       Encoding::Iso2022Jp};
inline constexpr std::array<LineBreak, 3> kLineBreaks = {LineBreak::CrLf, LineBreak::Lf, LineBreak::Cr};

struct TextFormat {
    Encoding encoding = Encoding::ShiftJis;
    LineBreak lineBreak = LineBreak::CrLf;
    // A UTF-16 file read without a byte-order mark is written without one.
    bool utf16Bom = true;

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

// True when the document may hold characters that CP932 cannot (every encoding but Shift-JIS).
inline bool holdsAnyCharacter(Encoding encoding) { return encoding != Encoding::ShiftJis; }

}  // namespace verlo::files
