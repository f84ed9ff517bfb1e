// UTF-8 in bulk, for files: checking that bytes are strictly valid UTF-8, the stretches of a
// valid file whose characters each have a code of their own in the code page converted
// straight into the document's bytes, and a document's bytes written as UTF-8. Large texts go
// on two threads, split after a line break. text_file.cpp builds reading and writing on these.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "files/document_bytes.h"
#include "files/utf8_vector.h"
#include "text/stand_ins.h"

namespace verlo::files::utf8 {

// True when bytes are valid UTF-8 (no overlong forms, surrogates or code points past U+10FFFF);
// *multiByte (set only then) tells whether any character took more than one byte. From
// twoThreadsFrom bytes on, checked in two halves on two threads; 32 bytes at a time where the
// processor can (wide, utf8_vector.h).
bool isStrict(std::string_view bytes, bool* multiByte, std::size_t twoThreadsFrom, bool wide = blocksAvailable());

// What reading needs of each character of the Basic Multilingual Plane.
struct ReadTable {
    // The code the character takes when it stands alone (text::cleanCode), codec::kNoCode when
    // it has none or stays with the character before it.
    std::array<std::uint16_t, 0x10000> aloneCode{};
    std::bitset<0x10000> stays;  // text::staysWithPrevious
    ReadTable();
};
const ReadTable& readTable();

// Where a straight conversion stopped: the next byte of the file and of the document.
struct Stop {
    std::size_t in;
    std::size_t out;
};

// Converts UTF-8 from file[in] into the document's bytes at doc[out] as long as each character
// is valid and has a code of its own. Stops at the first that needs more (a four-byte one, one
// with no code of its own, bytes that are not valid UTF-8) or near the end of the file, and gives back the last
// character it wrote (the one stopped at may stay with it), so that the stop is where a
// character begins that nothing before waits for. doc needs room for file.size() - in + 16
// bytes from out (a character never takes more bytes in the document than in the file).
Stop readPlain(std::string_view file, std::size_t in, char* doc, std::size_t out);

// A place after a line break near the middle of a valid UTF-8 text where nothing is joined
// across (the character after the break stays with nothing); text.size() when there is none.
std::size_t splitPoint(std::string_view text);

// Appends the document's bytes as UTF-8 to out, from twoThreadsFrom bytes on split in two
// at a line break and converted on two threads.
void write(std::string_view doc, const text::StandIns& standIns, std::string& out, std::size_t twoThreadsFrom);

// The same bytes as write, handed to put a piece at a time in order (about pieceSize bytes of
// the document each, cut between characters), so that neither the document nor its UTF-8 is
// ever held whole. From twoThreadsFrom bytes of the document on, the next pieces are converted
// on two threads while put takes the one before (the document is read on the calling thread).
// Stops when put answers false, and answers false then.
bool writePieces(const DocumentBytes& doc, const text::StandIns& standIns, const std::function<bool(std::string_view)>& put,
                 std::size_t pieceSize, std::size_t twoThreadsFrom);

void append(std::string& out, char32_t c);

// Asks the system to back the room reserved in s (from a few megabytes on) with large pages,
// so that filling it takes a few faults rather than one each 4 KB.
void preferLargePages(std::string& s);

// Runs other on a thread of its own while here runs on this one; both here, one after the
// other, on a machine of one core or when no thread can be started.
void alongside(const std::function<void()>& other, const std::function<void()>& here);

}  // namespace verlo::files::utf8
