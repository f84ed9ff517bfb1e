// A key as the user types it (Unicode: the key box, a key file, the terminal) made into the
// code page's bytes that the cipher takes. Nothing is substituted: a key with characters the
// code page cannot hold is refused, and the caller says which.
#pragma once

#include <string>
#include <string_view>

namespace verlo::cipher {

struct KeyBytes {
    std::string bytes;           // the key in CP932, when every character could be encoded
    std::u32string unencodable;  // otherwise each character that could not, once, in order
    bool ok() const { return unencodable.empty(); }
};

KeyBytes keyBytesFromText(std::u16string_view key);

// The message for a refused key, naming its characters (UTF-8).
std::string unencodableKeyMessage(std::u32string_view characters);

}  // namespace verlo::cipher
