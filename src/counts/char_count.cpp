#include "counts/char_count.h"

#include "text/cp932.h"

namespace verlo::counts {

std::string removeLineBreaks(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char b : bytes)
        if (b != '\r' && b != '\n') out.push_back(b);
    return out;
}

std::size_t countSelectionChars(std::string_view selection) {
    // The characters are counted in what remains: a lead byte that meets a trail byte across
    // a removed line break makes one character with it.
    return text::cp932::countChars(removeLineBreaks(selection));
}

void CharTally::feed(std::string_view bytes) {
    for (const char c : bytes) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b == '\r' || b == '\n') continue;
        if (state.pendingLead && text::cp932::isTrailByte(b)) {
            state.pendingLead = false;
        } else {
            ++count;
            state.pendingLead = text::cp932::isLeadByte(b);
        }
    }
}

}  // namespace verlo::counts
