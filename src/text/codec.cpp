#include "text/codec.h"

#include <array>
#include <cstdint>
#include <unordered_set>

#include "text/codec_table.h"
#include "text/cp932.h"

namespace verlo::text::codec {
namespace {

using namespace table;


// Unicode (BMP) -> CP932 code: one byte below 0x100, else lead << 8 | trail.
struct EncodeTable {
    std::array<std::uint16_t, 0x10000> code;
    EncodeTable() {
        code.fill(kNoCode);
        code[0] = 0;
        for (unsigned b = 1; b < 0x100; ++b) {
            if (cp932::isLeadByte(static_cast<std::uint8_t>(b)))
                code[kInvalidByteBase + b] = static_cast<std::uint16_t>(b);  // a lone lead byte
            else
                code[kSingle[b]] = static_cast<std::uint16_t>(b);
        }
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!cp932::isLeadByte(static_cast<std::uint8_t>(lead))) continue;
            for (unsigned trail = 0; trail < 0x100; ++trail) {
                const char16_t c = kDouble[leadIndex(lead)][trail];
                if (c != 0) code[c] = static_cast<std::uint16_t>(lead << 8 | trail);
            }
        }
        for (const EncodeExtra& e : kEncodeExtra) code[e.c] = e.code;
    }
};

const EncodeTable& encodeTable() {
    static const EncodeTable table;
    return table;
}

// Decodes all of [p, end) into out (room for end - p units); returns the end of the output.
template <class Unit>
Unit* decodeInto(const std::uint8_t* p, const std::uint8_t* end, Unit* out) {
    while (p < end) {
        const std::uint8_t b = *p;
        if (b < 0x80) {
            *out++ = b;
            ++p;
            continue;
        }
        char16_t c = kSingle[b];
        if (c != 0) {
            *out++ = c;
            ++p;
            continue;
        }
        // A lead byte: a character of two bytes when a trail byte follows.
        if (p + 1 < end) {
            c = kDouble[leadIndex(b)][p[1]];
            if (c != 0) {
                *out++ = c;
                p += 2;
                continue;
            }
        }
        *out++ = static_cast<Unit>(kInvalidByteBase + b);
        ++p;
    }
    return out;
}

template <class String>
String decodeAll(std::string_view bytes) {
    String out;
    out.resize(bytes.size());
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    auto* end = decodeInto(p, p + bytes.size(), out.data());
    out.resize(static_cast<std::size_t>(end - out.data()));
    return out;
}

class Encoder {
public:
    Encoder(std::size_t sizeHint) : table_(encodeTable().code) { result_.bytes.reserve(sizeHint); }

    void put(char32_t c) {
        const std::uint16_t code = c < 0x10000 ? table_[c] : kNoCode;
        if (code == kNoCode) {
            if (reported_.insert(c).second) result_.unencodable.push_back(c);
        } else if (code < 0x100) {
            result_.bytes.push_back(static_cast<char>(code));
        } else {
            result_.bytes.push_back(static_cast<char>(code >> 8));
            result_.bytes.push_back(static_cast<char>(code & 0xFF));
        }
    }
    EncodeResult take() { return std::move(result_); }

private:
    const std::array<std::uint16_t, 0x10000>& table_;
    EncodeResult result_;
    std::unordered_set<char32_t> reported_;
};

}  // namespace

char32_t decodeChar(std::string_view s, std::size_t pos, std::size_t* length) {
    const std::size_t len = cp932::charLength(s, pos);
    if (length) *length = len;
    if (len == 0) return 0;
    const auto* p = reinterpret_cast<const std::uint8_t*>(s.data()) + pos;
    char16_t c;
    decodeInto(p, p + len, &c);
    return c;
}

std::u16string decodeUtf16(std::string_view bytes) { return decodeAll<std::u16string>(bytes); }
std::u32string decodeUtf32(std::string_view bytes) { return decodeAll<std::u32string>(bytes); }

char16_t* decodeUtf16Into(std::string_view bytes, char16_t* out) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    return decodeInto(p, p + bytes.size(), out);
}

EncodeResult encode(std::u16string_view text) {
    Encoder encoder(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        // A surrogate pair is one character outside the BMP (which the code page never
        // holds); a lone surrogate is reported as itself.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        encoder.put(c);
    }
    return encoder.take();
}

EncodeResult encode(std::u32string_view text) {
    Encoder encoder(text.size() * 2);
    for (char32_t c : text) encoder.put(c);
    return encoder.take();
}

bool isInvalidByteMark(char32_t c) {
    if (c >= kUnassignedBase && c < kUnassignedBase + kUnassignedCount) return true;
    if (c < kInvalidByteBase + 0x80 || c >= kInvalidByteBase + 0x100) return false;
    const auto b = static_cast<std::uint8_t>(c - kInvalidByteBase);
    return cp932::isLeadByte(b) || kSingle[b] == c;
}

char32_t standsFor(char32_t c) {
    if (c >= kRoundTripBase && c < kRoundTripBase + kRoundTripCount) return kStandsFor[c - kRoundTripBase];
    return c;
}

bool canEncode(char32_t c) { return c < 0x10000 && encodeTable().code[c] != kNoCode; }

unsigned codeOf(char32_t c) { return c < 0x10000 ? encodeTable().code[c] : kNoCode; }

}  // namespace verlo::text::codec
