// A text file's bytes made into a document and back: the encoding found (or given), the
// conversion to the document's CP932 bytes with their stand-ins (text/stand_ins.h), and the
// bytes Save writes. Line breaks are kept as they are in both directions, so a file read and
// written again without a change is the same file, byte for byte.
#pragma once

#include <string>
#include <string_view>

#include "files/document_bytes.h"
#include "files/file_io.h"
#include "files/text_format.h"
#include "text/stand_ins.h"

namespace verlo::files {

// The encoding of a file: a byte-order mark decides; otherwise strictly valid UTF-8 with at
// least one multi-byte sequence is UTF-8; otherwise the charset detector's choice among
// Shift-JIS, EUC-JP and ISO-2022-JP when it is confident; otherwise Shift-JIS, which keeps
// any bytes whole. A file of plain ASCII (or an empty one) gets plainDefault.
Encoding detectEncoding(std::string_view bytes, Encoding plainDefault);

// The charset detector's part of detectEncoding: what it makes of the first kDetectorSample
// bytes (Shift-JIS unless it is confident of EUC-JP or ISO-2022-JP).
inline constexpr std::size_t kDetectorSample = 64 * 1024;
Encoding detectorChoice(std::string_view bytes);

// From this many bytes on, UTF-8 is checked, read and written on two threads (split after a
// line break when read or written); the results are the same as on one.
inline constexpr std::size_t kTwoThreadsFrom = std::size_t{1} << 20;
// About this many bytes of a document are made into UTF-8 at a time as they are written.
inline constexpr std::size_t kPieceSize = std::size_t{256} << 10;

// True when bytes are valid UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
// *multiByte tells whether any character took more than one byte.
bool isStrictUtf8(std::string_view bytes, bool* multiByte = nullptr, std::size_t twoThreadsFrom = kTwoThreadsFrom);

struct ReadText {
    std::string bytes;         // the document: CP932
    text::StandIns standIns;   // what its user-defined-area codes stand for
    TextFormat format;         // how the file keeps it
    bool tooManyCharacters = false;  // more distinct characters than the table holds: read-only
};

// A file's bytes read in the given encoding (a byte-order mark of that encoding is taken off
// and remembered). Bytes that are not text in it are kept and written back as they were.
// The line break is the one most breaks in the file are; noBreaks when it has none.
ReadText readText(std::string_view file, Encoding encoding, LineBreak noBreaks,
                  std::size_t twoThreadsFrom = kTwoThreadsFrom);

// Adopts into table every user-defined-area code of Shift-JIS bytes (readText's table for them).
void adoptUserAreaCodes(std::string_view bytes, text::StandIns& table);

// A piece of a UTF-8 file (without its byte-order mark) read as readText reads it within the
// whole file, its stand-ins taken from table, when the piece is cut where nothing joins across
// (text_stream.h: TextFileReader): written at the start of doc (which keeps its size when that
// is larger, so that room used again is not cleared again); the length written. *tooMany is
// set when the table could not take a character (it then stands as 〓, as in readText).
std::size_t readUtf8Piece(std::string_view piece, text::StandIns& table, std::string& doc, bool* tooMany);

// Document bytes read with a stand-in table of their own (from) given the codes `to` has for
// the same characters instead, new ones taken in the order they first appear: as if they had
// been read with `to`. A character `to` has no room for becomes 〓, and the answer is false.
bool moveStandIns(char* doc, std::size_t size, const text::StandIns& from, text::StandIns& to);

// detectEncoding, then readText; defaults are the settings for new documents.
ReadText openText(std::string_view file, const TextFormat& defaults);

struct WrittenText {
    std::string bytes;
    std::u32string refused;  // characters the encoding cannot hold, each once; bytes is then not valid
    bool ok() const { return refused.empty(); }
};

// The file's bytes for a document in a format (its line breaks as they are in the document);
// as UTF-8 on two threads from twoThreadsFrom bytes on (the bytes are the same).
WrittenText writeText(std::string_view document, const text::StandIns& standIns, const TextFormat& format,
                      std::size_t twoThreadsFrom = kTwoThreadsFrom);

struct TextPieces {
    BytePieces pieces;       // for writeFileReplacing; empty when characters are refused
    std::u32string refused;  // as writeText's
    bool ok() const { return refused.empty(); }
};

// writeText's bytes made as they are written, read from the document a stretch at a time: as
// UTF-8 a piece at a time (the next pieces on two threads while the one before is written, from
// twoThreadsFrom bytes on), and as Shift-JIS as they are when no character stands in, so that a
// large text is never held whole, neither as it is nor in the file's form. Otherwise made whole
// first, so that the characters the encoding cannot hold are known before the file is touched.
// doc (and what it reads) and standIns must outlive the pieces.
TextPieces writeTextInPieces(const DocumentBytes& doc, const text::StandIns& standIns, const TextFormat& format,
                             std::size_t pieceSize = kPieceSize, std::size_t twoThreadsFrom = kTwoThreadsFrom);

}  // namespace verlo::files
