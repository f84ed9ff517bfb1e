// A text file read and written a piece at a time, with exactly the result the whole-file
// routines of text_file.h give, for files too large to hold at once (the command line's
// --encrypt and --decrypt, the editor's opening of a Shift-JIS or UTF-8 file). Each piece is cut where reading or writing it on its own
// changes nothing: between whole characters, never inside a cluster the stand-in table
// keeps together, and for ISO-2022-JP only where the file is back in ASCII.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "files/text_format.h"
#include "text/document.h"
#include "text/stand_ins.h"

namespace verlo::files {

// detectEncoding over a file given in pieces.
class EncodingScan {
public:
    explicit EncodingScan(Encoding plainDefault) : plainDefault_(plainDefault) {}
    void add(std::string_view piece);
    // True when the rest of the file cannot change the answer.
    bool decided() const;
    // The encoding of everything added.
    Encoding finish();

private:
    int bom() const;  // 0 none, 1 UTF-8, 2 UTF-16LE, 3 UTF-16BE; -1 not known yet

    Encoding plainDefault_;
    std::string head_;   // the first kDetectorSample bytes
    std::string carry_;  // the last, maybe unfinished, UTF-8 sequence
    bool utf8_ = true;
    bool multiByte_ = false;
    bool escape_ = false;  // ESC $ seen
    char last_ = 0;
};

using PieceSink = std::function<void(std::string_view)>;

// A file's bytes in an encoding made into the document's CP932 form with the stand-ins put
// back (readText, then StandIns::toCodePage): what the editor encrypts.
class CodePageStream {
public:
    CodePageStream(Encoding encoding, PieceSink sink, std::size_t pieceSize = kPieceSize);
    void add(std::string_view bytes);
    void finish();
    // The characters the code page cannot hold (each once). Once there is one, nothing more
    // goes to the sink.
    const std::u32string& refused() const { return refused_; }

    static constexpr std::size_t kPieceSize = 256 * 1024;

private:
    std::size_t cut() const;
    void convert(std::string_view piece);

    Encoding encoding_;
    PieceSink sink_;
    std::size_t pieceSize_;
    std::string pending_;
    bool first_ = true;
    std::u32string refused_;
};

// A document's CP932 bytes written as a file in a format (readText in CP932, then writeText):
// what --decrypt writes for another encoding. refused() as above.
class FileBytesStream {
public:
    FileBytesStream(const TextFormat& format, PieceSink sink, std::size_t pieceSize = CodePageStream::kPieceSize);
    void add(std::string_view document);
    void finish();
    const std::u32string& refused() const { return refused_; }

private:
    void convert(std::string_view piece);

    TextFormat format_;
    PieceSink sink_;
    std::size_t pieceSize_;
    std::string pending_;
    std::u32string refused_;
};

// The encoding a file opens in (detectEncoding), read from fd in pieces as far as the answer
// needs; fd is then back where it was. nullopt when it cannot be read.
std::optional<Encoding> detectFileEncoding(int fd, Encoding plainDefault);

// A Shift-JIS or UTF-8 file read from fd in pieces as readText reads it whole, for a document
// that never holds it twice: next() gives the document's bytes a piece at a time and puts the
// stand-ins they need into the table it is given (the same table each time), as readText
// would. A piece is cut where reading it on its own changes nothing: never inside a character
// or a cluster the table keeps together, never between CR and LF; bytes that are not text in
// UTF-8 each stand alone as in readText. Once it has given the empty piece, lineBreak() is
// readText's.
class TextFileReader {
public:
    // encoding: Shift-JIS, or UTF-8 with or without a mark (the file's start decides, as in readText).
    TextFileReader(int fd, Encoding encoding, std::size_t pieceSize = CodePageStream::kPieceSize * 4);
    // Whether files in this encoding are read this way.
    static bool reads(Encoding encoding);
    std::string_view next(text::StandIns& table);
    // A read failed: the pieces given are not the whole file.
    bool failed() const { return failed_; }
    // The pieces given are all there are (the next is the empty one).
    bool atEnd() const { return ended_ && rest_.empty(); }
    LineBreak lineBreak(LineBreak noBreaks) const;
    // readText's format.encoding, known once a piece was given.
    Encoding encoding() const { return encoding_; }
    // readText's tooManyCharacters for the pieces given.
    bool tooManyCharacters() const { return tooMany_; }
    // The whole file as it is now, read again from its start (for a file shown read-only).
    std::optional<std::string> wholeFile() const;

private:
    std::string_view nextBytes();

    int fd_;
    Encoding encoding_;
    std::size_t pieceSize_;
    std::string bytes_;  // of the file, the piece being given
    std::string piece_;  // of the document, when it is not bytes_ itself
    std::string rest_;   // read, not yet given
    text::LineBreakCounts counts_;
    bool started_ = false;
    bool ended_ = false;
    bool failed_ = false;
    bool tooMany_ = false;
};

}  // namespace verlo::files
