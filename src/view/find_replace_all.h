// Matching and replace-all over CP932 bytes, without Qt.
//
// Replace all is defined as a loop: start at 0; find the first match at or after start;
// replace it; go on right after the inserted replacement (so text a replacement brings in
// is never searched again); stop when nothing more matches. replaceAll() gives exactly the
// text that loop leaves, in one pass over the old text, as one span to put in place of
// the old span [begin, end). The caller applies it as a single change.
//
// A match starts at a character start, covers whole characters of the text (its end is a
// character boundary too) and, without matchCase, folds the Latin letters A-Z and a-z of
// one-byte characters only; the bytes of double-byte characters (full-width letters
// included) always compare exactly. The empty string matches nowhere.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace verlo::view {

// True when needle matches text at pos, pos being a character start of text.
bool matchesAt(std::string_view text, std::size_t pos, std::string_view needle, bool matchCase);

// The first match at a character start in [from, text.size()), or std::string_view::npos.
// from is taken as a character start (callers pass 0 or a position they know is one).
std::size_t findFrom(std::string_view text, std::size_t from, std::string_view needle, bool matchCase);

struct ReplaceAllResult {
    std::size_t count = 0;  // replacements the loop makes; 0: nothing changes
    std::size_t begin = 0;  // the changed span of the old text: from the first match
    std::size_t end = 0;    // to the end of the last match
    std::string bytes;      // what the span becomes; it ends with the last replacement
};

// Replace all as the loop above does it, letter case ignored (the replace command's rule).
ReplaceAllResult replaceAll(std::string_view text, std::string_view needle, std::string_view replacement);

}  // namespace verlo::view
