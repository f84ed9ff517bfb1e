// Replace all over CP932 bytes, without Qt.
//
// Replace all is defined as a loop: start at 0; find the first match at or after start
// (letter case ignored, as text/search.h matches); replace it; go on right after the
// inserted replacement, so that text a replacement brings in is never searched again;
// stop when nothing more matches. replaceAll() gives exactly the text that loop leaves,
// in one pass over the old text, as one span to put in place of the old span [begin, end).
// The caller applies it as a single change. The empty string matches nowhere.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace verlo::commands {

struct ReplaceAllResult {
    std::size_t count = 0;  // replacements the loop makes; 0: nothing changes
    std::size_t begin = 0;  // the changed span of the old text: from the first match
    std::size_t end = 0;    // to the end of the last match
    std::string bytes;      // what the span becomes; it ends with the last replacement
};

ReplaceAllResult replaceAll(std::string_view text, std::string_view needle, std::string_view replacement);

}  // namespace verlo::commands
