// The character count, without Qt: line breaks (CR LF pairs) are not counted, a
// double-byte character counts once, every other byte once. The count box counts a
// selection this way; the live counts of the status bar count the same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace verlo::counts {

// What is left after deleting the first CR LF and repeating until none is left: a pair
// that a deletion brings together goes too (CR CR LF LF loses all four bytes), a lone CR
// or LF stays. One pass.
std::string removeCrLfPairs(std::string_view bytes);

// The number the count box shows for a selection.
std::size_t countSelectionChars(std::string_view selection);

// The same count taken piece by piece: feeding the bytes of a text in any number of
// pieces ends with count == countSelectionChars(text). What later bytes may still change
// is the state: the CRs at the end that a later LF takes away (each counted until then),
// and a lead byte below them still waiting for its trail byte (counted once already).
// Two tallies in the same state count every further byte alike.
struct CharTally {
    struct State {
        std::size_t openCrs = 0;
        bool pendingLead = false;
        bool operator==(const State&) const = default;
    };

    std::int64_t count = 0;  // may fall below 0 when fed from a state with open CRs
    State state;

    void feed(std::string_view bytes);
};

}  // namespace verlo::counts
