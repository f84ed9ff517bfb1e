// One recovery copy: an unsaved text with what is needed to give it back as it was (the
// file it belongs to, how that file is written, where the caret stood, when the copy was
// made), as one file's bytes. The copy is a few text lines and then the text's bytes
// unchanged:
//
//   VERLO-RECOVERY 1
//   path /home/a/novel.txt        (native bytes, "%" and line breaks as %25 %0A %0D; empty: untitled)
//   encoding Shift_JIS
//   breaks CRLF
//   caret 1234
//   written 1718000000            (seconds since 1970)
//   standins F040=2661 F041=~FF   (only when the text holds stand-ins: text::StandIns::toText)
//   length 56789
//                                  (an empty line, then exactly `length` bytes)
//
// Reading checks all of it, so a torn or foreign file is never taken for a text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace verlo::recovery {

struct RecoveryCopy {
    std::string path;                     // the file's native path; empty for an untitled text
    std::string encoding = "Shift_JIS";   // how the file is written
    std::string lineBreaks = "CRLF";
    std::size_t caret = 0;                // byte offset in text
    std::int64_t written = 0;             // seconds since 1970
    std::string text;                     // the document's bytes
    std::string standIns;                 // what its stand-in codes stand for (StandIns::toText)

    bool operator==(const RecoveryCopy&) const = default;
};

std::string serializeCopy(const RecoveryCopy& copy);
// The lines serializeCopy writes before the text (a large text is written after them as it
// is, without a second copy of it).
std::string copyHeader(const RecoveryCopy& copy);
// Nothing unless bytes are one whole copy as serializeCopy writes it.
std::optional<RecoveryCopy> parseCopy(std::string_view bytes);

// The first line of the text (at most `limit` bytes, cut at a character boundary), for
// telling copies apart.
std::string firstLine(std::string_view text, std::size_t limit);

}  // namespace verlo::recovery
