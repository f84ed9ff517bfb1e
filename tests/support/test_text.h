// Helpers the tests share: text written in Unicode turned into the code page's bytes, text
// converted by iconv, the sample text, and whole files as bytes. Header-only, so the tests
// without Qt use it too.
#pragma once

#include <gtest/gtest.h>
#include <iconv.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "text/codec.h"

namespace verlo::test {

// The CP932 bytes of a text; every character of it must be one the code page holds.
inline std::string sjis(std::u16string_view text) {
    text::codec::EncodeResult r = text::codec::encode(text);
    EXPECT_TRUE(r.ok()) << "a test text the code page cannot hold";
    return r.bytes;
}

// bytes converted by glibc's iconv (an independent converter); "<fails>" when it cannot.
inline std::string iconvert(const char* from, const char* to, std::string_view bytes) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return "<fails>";
    std::string in(bytes);
    std::string out(bytes.size() * 4 + 16, '\0');
    char* ip = in.data();
    char* op = out.data();
    std::size_t il = in.size();
    std::size_t ol = out.size();
    const std::size_t r = iconv(cd, &ip, &il, &op, &ol);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1)) return "<fails>";
    out.resize(out.size() - ol);
    return out;
}

inline std::string repeat(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// The bytes of a file; empty when it cannot be read.
inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// tests/data/neko.txt: a short Shift-JIS text with CR LF line breaks.
inline std::filesystem::path samplePath() { return std::filesystem::path(VERLO_TEST_DATA_DIR) / "neko.txt"; }

inline std::string sampleText() {
    std::string bytes = readBytes(samplePath());
    EXPECT_FALSE(bytes.empty()) << samplePath();
    return bytes;
}

}  // namespace verlo::test
