#include "counts/char_count.h"

#include "text/cp932.h"

namespace verlo::counts {

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

// The stack of removeCrLfPairs, kept as far as it can still matter: only CRs are ever
// taken off it, so below the CRs on top nothing changes but whether the last kept byte
// still waits for a trail byte.
void CharTally::feed(std::string_view bytes) {
    for (const char c : bytes) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b == '\r') {
            ++state.openCrs;
            ++count;
        } else if (b == '\n') {
            if (state.openCrs > 0) {
                --state.openCrs;
                --count;
            } else {
                ++count;
                state.pendingLead = false;
            }
        } else {
            if (state.openCrs > 0) state = {};
            if (state.pendingLead && text::cp932::isTrailByte(b)) {
                state.pendingLead = false;
            } else {
                ++count;
                state.pendingLead = text::cp932::isLeadByte(b);
            }
        }
    }
}

}  // namespace verlo::counts
