#include "commands/char_count.h"

#include "text/cp932.h"

namespace verlo::commands {

std::string removeCrLfPairs(std::string_view bytes) {
    // Deleting CR LF pairs in any order ends in the same text (two pairs never overlap),
    // so a stack does it: an LF takes away the CR left just before it.
    std::string out;
    out.reserve(bytes.size());
    for (char b : bytes) {
        if (b == '\n' && !out.empty() && out.back() == '\r') {
            out.pop_back();
        } else {
            out.push_back(b);
        }
    }
    return out;
}

std::size_t countSelectionChars(std::string_view selection) {
    // The characters are counted in what remains: a lead byte that met a trail byte across
    // a removed line break makes one character with it.
    return text::cp932::countChars(removeCrLfPairs(selection));
}

}  // namespace verlo::commands
