// The characters a document holds that the code page cannot: each stands in the document as
// a code of the code page's user-defined area (F040-F9FC, 1,880 codes), through a table kept
// with the document for its lifetime. The document stays pure CP932 bytes, so every position,
// search and undo step works as for any other character; the table is read only where text
// leaves or enters the document (drawing, the clipboard, the input method, saving, the
// preview page, the count).
//
// A stand-in stands for one character together with what stays with it (a variation
// selector, a combining mark, a zero-width-joiner sequence: see clusterEnd), or for bytes of
// a file that were not text in its encoding (written back as they were).
//
// Codes are never reused while the table lives, so undo and redo bring back exactly the
// characters they removed. Every user-defined-area code the document ever held is in the
// table: the area's own characters (U+E000-U+E757) take their natural code when it is free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace verlo::text {

// A code of the user-defined area: lead F0-F9, any trail byte.
constexpr bool isUserAreaLead(std::uint8_t b) { return b >= 0xF0 && b <= 0xF9; }
inline constexpr std::size_t kUserAreaCodes = 1880;

// The end of the character cluster that starts at text[i]: the character and what stays with
// it (combining marks, variation selectors, emoji modifiers, a zero-width joiner and the
// character it joins, the second of a pair of regional indicators). i < text.size().
std::size_t clusterEnd(std::u32string_view text, std::size_t i);
// True when c stays with the character before it (so that text may not be cut before c).
bool staysWithPrevious(char32_t c);

class StandIns {
public:
    struct Entry {
        std::u32string chars;  // what the code stands for; empty for bytes that are not text
        std::string raw;       // the file's bytes, written back as they are (when chars is empty)
    };

    // What may enter the document: `any` when characters the code page cannot hold may (its
    // file's encoding is not CP932); when false, such characters are refused (and the table
    // only keeps the user-defined-area characters and what entered while it was true).
    // `holds`, when set, is what the file's encoding can hold: nothing else enters, even
    // what the code page holds.
    struct Acceptance {
        bool any = false;
        bool (*holds)(char32_t c) = nullptr;
        constexpr Acceptance(bool any = false, bool (*holds)(char32_t) = nullptr) : any(any), holds(holds) {}
    };
    bool accepting() const { return accepting_; }
    void setAccepting(Acceptance a) {
        accepting_ = a.any;
        holds_ = a.holds;
    }

    std::size_t size() const { return used_; }
    bool empty() const { return used_ == 0; }
    bool full() const { return used_ == kUserAreaCodes; }

    // The entry of a code (lead << 8 | trail), or null when the code is not a stand-in.
    const Entry* find(unsigned code) const;
    const Entry* find(std::uint8_t lead, std::uint8_t trail) const { return find(lead << 8 | trail); }

    // The code standing for chars (or for raw bytes), assigning the next free one when there
    // is none yet; 0 when the table is full.
    unsigned codeFor(std::u32string_view chars);
    unsigned codeForRaw(std::string_view raw);
    // The code already standing for chars, or 0.
    unsigned existingCode(std::u32string_view chars) const;

    // Records that the document holds a user-defined-area code that came in as bytes (a
    // decrypted text, a Shift-JIS file): from now on the code stands for its own character.
    void adopt(unsigned code);

    // Encoding Unicode text for this document: one code per character the code page holds,
    // a stand-in per cluster it cannot hold while accepting(); otherwise (or when the table
    // is full, or for characters the file's encoding does not hold) the characters are
    // reported and nothing else is valid.
    struct Encoded {
        std::string bytes;
        std::u32string refused;  // each character that stood in the way, once
        bool full = false;       // the refusal is the table being full, not the code page
        std::size_t codes = 0;   // characters of the code page written (by encode)
        bool ok() const { return refused.empty(); }
    };
    // markWhenFull (reading a file): a cluster that finds the table full becomes 〓 (the
    // document is then read-only) and is not refused.
    Encoded encode(std::u32string_view text, bool markWhenFull = false);
    Encoded encode(std::u16string_view text);

    // The document's bytes as Unicode: stand-ins as what they stand for (bytes that are not
    // text as U+FFFD), everything else as the codec decodes it.
    std::u32string decode(std::string_view bytes) const;
    std::u16string decodeUtf16(std::string_view bytes) const;

    // Bytes as plain CP932, every stand-in that the code page can hold put back as its own
    // code. Stand-ins it cannot hold are reported (each once) and the bytes are not valid.
    Encoded toCodePage(std::string_view bytes) const;
    // Bytes of plain CP932 (a decrypted text) made fit to enter this document: a
    // user-defined-area code whose code already stands for something else gets a code of
    // its own. Nothing is refused except when the table is full.
    Encoded fromCodePage(std::string_view bytes);

    // The table as one line of text (for a recovery copy) and back: each code in use and what
    // it stands for, "F040=2661.FE0F" (code points) or "F041=~FFC3" (bytes that are not
    // text), separated by spaces; empty for an empty table. fromText fails on anything else.
    std::string toText() const;
    static std::optional<StandIns> fromText(std::string_view text);

private:
    unsigned assign(Entry entry, unsigned preferred);

    std::vector<Entry> entries_ = std::vector<Entry>(kUserAreaCodes);
    std::vector<char> taken_ = std::vector<char>(kUserAreaCodes);
    std::unordered_map<std::u32string, unsigned> byChars_;
    std::unordered_map<std::string, unsigned> byRaw_;
    std::size_t used_ = 0;
    std::size_t next_ = 0;  // where the search for a free code starts
    bool accepting_ = false;
    bool (*holds_)(char32_t) = nullptr;
};

// The index 0..1879 of a user-defined-area code, or -1.
int userAreaIndex(unsigned code);
unsigned userAreaCode(std::size_t index);

// The code that a Unicode character has in the code page and that decodes back to that very
// character, or codec::kNoCode (characters of the private-use area are never clean).
unsigned cleanCode(char32_t c);

}  // namespace verlo::text
