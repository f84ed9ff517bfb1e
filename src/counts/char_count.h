// The character count, without Qt: line breaks are not counted (CR LF, a lone CR and a
// lone LF alike, as the document cuts lines), a double-byte character counts once, every
// other byte once. The count box counts a selection this way; the live counts of the
// status bar count the same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace verlo::counts {

// The bytes without their line breaks: every CR and every LF goes (each belongs to a
// break, and neither is ever the trail byte of a character).
std::string removeLineBreaks(std::string_view bytes);

// The number the count box shows for a selection.
std::size_t countSelectionChars(std::string_view selection);

// The same count taken piece by piece: feeding the bytes of a text in any number of
// pieces ends with count == countSelectionChars(text). What later bytes may still change
// is the state: a lead byte at the end still waiting for its trail byte (counted once
// already), also across line breaks. Two tallies in the same state count every further
// byte alike.
struct CharTally {
    struct State {
        bool pendingLead = false;
        bool operator==(const State&) const = default;
    };

    std::int64_t count = 0;
    State state;

    void feed(std::string_view bytes);
};

}  // namespace verlo::counts
