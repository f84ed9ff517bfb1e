// The character count of the selection, without Qt: line breaks (CR LF pairs) are not
// counted, a double-byte character counts once, every other byte once.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace verlo::commands {

// What is left after deleting the first CR LF and repeating until none is left: a pair
// that a deletion brings together goes too (CR CR LF LF loses all four bytes), a lone CR
// or LF stays. One pass.
std::string removeCrLfPairs(std::string_view bytes);

// The number the count box shows for a selection.
std::size_t countSelectionChars(std::string_view selection);

}  // namespace verlo::commands
