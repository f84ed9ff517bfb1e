// EUC-JP and ISO-2022-JP files, read and written by the program itself so that nothing is lost:
//
// - A code is text only when glibc's iconv and ICU both read it as the same character (the
//   pairs the code page merges, such as U+301C and U+FF5E, count as the same) and it is the
//   form that character is written in. Every other byte, and every code the common decoders
//   read differently, is kept as bytes that are not text and written back unchanged.
// - A character is written only in such a common form; one that has none is refused.
// - An ISO-2022-JP file's escape sequences are kept: those the writer would put at the same
//   place (given the file's style, Iso2022Style) are left out of the document and made again
//   when it is written; any other escape stays in the document as bytes that are not text.
// So a file read and written again without a change is the same file, byte for byte.
#pragma once

#include <string>
#include <string_view>

#include "files/text_format.h"

namespace verlo::files::jis {

// Where a file's contents go as they are read.
class Sink {
public:
    virtual void put(char32_t c) = 0;
    virtual void raw(std::string_view bytes) = 0;  // bytes that are not text

protected:
    ~Sink() = default;
};

void readEucJp(std::string_view file, Sink& sink);
// The file's style is what the writer then follows.
Iso2022Style readIso2022Jp(std::string_view file, Sink& sink);

// True when the encoding holds c in a common form.
bool eucJpHolds(char32_t c);
bool iso2022JpHolds(char32_t c);

// Writes a document's characters and its bytes that are not text, in order.
class Writer {
public:
    Writer(Encoding encoding, const Iso2022Style& style, std::string& out);
    void put(char32_t c);
    void raw(std::string_view bytes);
    void finish();
    // Characters the encoding cannot hold, each once, in order (out is then not valid).
    const std::u32string& refused() const { return refused_; }

private:
    void putIso2022(char32_t c);

    bool euc_;
    Iso2022Style style_;
    std::string& out_;
    int set_ = 0;  // ISO-2022-JP: the set in use (jis_encodings.cpp: Set)
    std::u32string refused_;
};

}  // namespace verlo::files::jis
