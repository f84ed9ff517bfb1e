// A text file read and written a piece at a time, with exactly the result the whole-file
// routines of text_file.h give, for files too large to hold at once (the command line's
// --encrypt and --decrypt, the editor's opening of a Shift-JIS or UTF-8 file). Each piece is cut where reading or writing it on its own
// changes nothing: between whole characters, never inside a cluster the stand-in table
// keeps together, and for ISO-2022-JP only where the file is back in ASCII.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
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

    // A scan of a later part of the file, from a byte that is not a continuation byte on, for
    // join: it looks only at what the file's start does not decide (UTF-8, escapes).
    static EncodingScan later();
    // Takes in the scan of the part that follows what was added here.
    void join(const EncodingScan& next);

private:
    int bom() const;  // 0 none, 1 UTF-8, 2 UTF-16LE, 3 UTF-16BE; -1 not known yet
    bool atStart_ = true;
    char first_ = 0;  // the first byte added

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

// The encoding a file opens in (detectEncoding), read from fd's place on in pieces as far as
// the answer needs (a large rest in two halves on two threads); fd's place does not move.
// nullopt when it cannot be read.
std::optional<Encoding> detectFileEncoding(int fd, Encoding plainDefault);

// A Shift-JIS or UTF-8 file read from fd in pieces as readText reads it whole, for a document
// that never holds it twice: next() gives the document's bytes a piece at a time and puts the
// stand-ins they need into the table it is given (the same table each time), as readText
// would. A piece is cut where reading it on its own changes nothing: never inside a character
// or a cluster the table keeps together, never between CR and LF; bytes that are not text in
// UTF-8 each stand alone as in readText. Once it has given the empty piece, lineBreak() is
// readText's. After the first piece of UTF-8, the next ones are read and converted on two
// threads of their own (at most three ahead, each with a table of its own whose codes are given
// those of the document's table as the piece is taken), unless `ahead` is false or there is one core.
class TextFileReader {
public:
    // encoding: Shift-JIS, or UTF-8 with or without a mark (the file's start decides, as in readText).
    TextFileReader(int fd, Encoding encoding, std::size_t pieceSize = CodePageStream::kPieceSize * 4, bool ahead = true);
    ~TextFileReader();
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;
    // Whether files in this encoding are read this way.
    static bool reads(Encoding encoding);
    std::string_view next(text::StandIns& table);
    // A read failed: the pieces given are not the whole file.
    bool failed() const { return failed_; }
    // The pieces given are all there are (the next is the empty one).
    bool atEnd() const { return atEnd_; }
    LineBreak lineBreak(LineBreak noBreaks) const;
    // readText's format.encoding, known once a piece was given.
    Encoding encoding() const { return encoding_; }
    // readText's tooManyCharacters for the pieces given.
    bool tooManyCharacters() const { return tooMany_; }
    // The whole file as it is now, read again from its start (for a file shown read-only).
    std::optional<std::string> wholeFile() const;

    // The file's bytes cut into pieces (see above).
    struct Bytes {
        int fd;
        Encoding encoding;  // of the cuts: Shift-JIS or UTF-8
        std::size_t pieceSize;
        std::string buffer;     // the piece given, then what was read past it
        std::size_t given = 0;  // the piece's end
        std::size_t end = 0;    // the end of what was read
        bool ended = false;
        bool failed = false;
        std::string_view next();
        // The next piece at the start of out, whose room is taken for the buffer (so that
        // nothing is copied but what was read past the piece); its length.
        std::size_t nextInto(std::string& out);
        bool atEnd() const { return ended && given == end; }
    };
    struct Converted;

private:
    class Ahead;
    std::string_view readHere(text::StandIns& table);
    std::string_view taken(text::StandIns& table);

    int fd_;
    Encoding encoding_;
    bool ahead_ = true;
    Bytes bytes_;
    std::string piece_;  // of the document, when it is not the file's bytes (its room kept)
    text::LineBreakCounts counts_;
    bool started_ = false;
    bool atEnd_ = false;
    bool failed_ = false;
    bool tooMany_ = false;
    std::unique_ptr<Converted> current_;  // the piece given last, when converted ahead
    std::unique_ptr<Ahead> thread_;       // last: stopped first
};

}  // namespace verlo::files
