// Base64 with the standard alphabet and "=" padding, no line breaks. The decoder is
// lenient and never fails: see DecodeBase64.
#pragma once

#include <string>
#include <string_view>

namespace verlo::cipher {

// 4 * ((n + 2) / 3) characters for n bytes.
std::string EncodeBase64(std::string_view bytes);

// Reads the text's bytes in groups of four and ignores the last 1 to 3 bytes that do not
// make a group. "=" counts 255: a group whose third character is "=" gives one byte,
// one whose fourth is "=" two, any other three; "=" does not end the input, later groups
// are decoded all the same. Bytes outside the alphabet count 0 (see base64.cpp).
// The result has at most 3 * (L / 4) bytes for L input bytes.
std::string DecodeBase64(std::string_view text);
// The same, appended to out.
void AppendDecodedBase64(std::string_view text, std::string& out);

}  // namespace verlo::cipher
