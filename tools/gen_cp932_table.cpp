// Generates src/text/cp932_table.cpp, the tables of the CP932 codec, from glibc's iconv
// CP932 converter. Run tools/gen_cp932_table.sh; the output is committed, so building
// Verlo does not need this program.
//
// What it writes (see codec.h for how the codec uses it):
//   kSingle[256]        byte -> Unicode for one-byte characters; 0 for lead bytes
//   kDouble[60][256]    [lead index][trail byte] -> Unicode; 0 where the trail byte is not
//                       a trail byte (the lead byte then stands alone)
//   kStandsFor[]        for each non-round-tripping code, what glibc decodes it to
//   kEncodeExtra[]      characters glibc encodes that our decoding does not produce
//
// Private-use assignments (none of them is produced by glibc's decoder, checked below):
//   U+E000-U+E757  the code page's own user-defined area F040-F9FC (as glibc decodes it)
//   U+E800 + i     the i-th double-byte code, in code order, that glibc decodes to a
//                  character which it encodes back to other bytes (NEC row 13 and the
//                  NEC-selected IBM extensions duplicate characters held elsewhere)
//   U+EC00 + i     the i-th double-byte code, in code order, with a valid lead and trail
//                  byte that glibc does not decode (unassigned)
//   U+F780 + b     byte b where it is not valid text on its own (0x80, 0xA0, 0xFD-0xFF,
//                  and a lead byte without a trail byte)
#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr char32_t kRoundTripBase = 0xE800;
constexpr char32_t kUnassignedBase = 0xEC00;
constexpr char32_t kInvalidByteBase = 0xF780;

bool isLead(unsigned b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrail(unsigned b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }
unsigned leadIndex(unsigned b) { return b <= 0x9F ? b - 0x81 : b - 0xE0 + 31; }

[[noreturn]] void fail(const char* what, unsigned value) {
    std::fprintf(stderr, "gen_cp932_table: %s (0x%X)\n", what, value);
    std::exit(1);
}

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) fail("iconv_open failed", 0);
    }
    ~Converter() { iconv_close(cd_); }
    // Converts all of in; false when iconv rejects any of it.
    bool run(const std::string& in, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buf[64];
        char* inp = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char* outp = buf;
        std::size_t outLeft = sizeof buf;
        if (iconv(cd_, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1)) return false;
        if (iconv(cd_, nullptr, nullptr, &outp, &outLeft) == static_cast<std::size_t>(-1)) return false;
        out.assign(buf, outp);
        return inLeft == 0;
    }

private:
    iconv_t cd_;
};

Converter* gDecoder;
Converter* gEncoder;

// Decodes bytes to exactly one character, or returns 0.
char32_t decode(const std::string& bytes) {
    std::string out;
    if (!gDecoder->run(bytes, out) || out.size() != 4) return 0;
    char32_t c;
    std::memcpy(&c, out.data(), 4);
    return c;
}

// Encodes one character; empty when glibc cannot.
std::string encode(char32_t c) {
    std::string in(4, '\0'), out;
    std::memcpy(in.data(), &c, 4);
    if (!gEncoder->run(in, out)) return {};
    return out;
}

std::string bytes1(unsigned b) { return std::string(1, static_cast<char>(b)); }
std::string bytes2(unsigned lead, unsigned trail) {
    return std::string{static_cast<char>(lead), static_cast<char>(trail)};
}

bool ourPrivateUse(char32_t c) { return c >= 0xE758 && c <= 0xF8FF; }

}  // namespace

int main() {
    Converter decoder("UTF-32LE", "CP932");
    Converter encoder("CP932", "UTF-32LE");
    gDecoder = &decoder;
    gEncoder = &encoder;

    char32_t single[256] = {};
    char32_t dbl[60][256] = {};
    std::vector<char32_t> standsFor;
    unsigned unassigned = 0, invalidSingles = 0, roundTrips = 0;
    std::map<char32_t, unsigned> decodedTo;  // our decoding: character -> code

    for (unsigned b = 0; b < 256; ++b) {
        if (isLead(b)) continue;
        const char32_t c = decode(bytes1(b));
        if (c != 0 || b == 0) {
            if (encode(c) != bytes1(b)) fail("one-byte code does not round-trip", b);
            if (ourPrivateUse(c)) fail("glibc decodes into our private-use range", b);
            single[b] = c;
            decodedTo[c] = b;
        } else {
            single[b] = kInvalidByteBase + b;
            ++invalidSingles;
        }
    }
    for (unsigned lead = 0; lead < 256; ++lead) {
        if (!isLead(lead)) continue;
        for (unsigned trail = 0; trail < 256; ++trail) {
            if (!isTrail(trail)) continue;
            const unsigned code = lead << 8 | trail;
            const char32_t c = decode(bytes2(lead, trail));
            char32_t ours;
            if (c == 0) {
                ours = kUnassignedBase + unassigned++;
            } else {
                if (ourPrivateUse(c)) fail("glibc decodes into our private-use range", code);
                if (c > 0xFFFF) fail("glibc decodes outside the BMP", code);
                if (encode(c) == bytes2(lead, trail)) {
                    ours = c;
                    ++roundTrips;
                } else {
                    ours = kRoundTripBase + static_cast<char32_t>(standsFor.size());
                    standsFor.push_back(c);
                }
            }
            dbl[leadIndex(lead)][trail] = ours;
            if (!decodedTo.emplace(ours, code).second) fail("two codes decode alike", code);
        }
    }
    if (kRoundTripBase + standsFor.size() > kUnassignedBase) fail("round-trip block overflows", 0);
    if (kUnassignedBase + unassigned > kInvalidByteBase) fail("unassigned block overflows", 0);

    // Everything glibc encodes that our decoding does not give back.
    std::vector<std::pair<char32_t, unsigned>> extra;
    for (char32_t c = 1; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const std::string e = encode(c);
        if (e.empty()) continue;
        unsigned code;
        if (e.size() == 1) code = static_cast<std::uint8_t>(e[0]);
        else if (e.size() == 2) code = static_cast<std::uint8_t>(e[0]) << 8 | static_cast<std::uint8_t>(e[1]);
        else fail("glibc encodes one character to more than two bytes", c);
        auto it = decodedTo.find(c);
        if (it != decodedTo.end()) {
            if (it->second != code) fail("glibc encodes a decoded character to other bytes", c);
            continue;
        }
        if (ourPrivateUse(c)) fail("glibc encodes a character of our private-use range", c);
        if (c > 0xFFFF) fail("glibc encodes a character outside the BMP", c);
        extra.emplace_back(c, code);
    }

    std::printf(
        "// Generated by tools/gen_cp932_table.sh from glibc's iconv CP932 converter. Do not edit.\n"
        "// %u one-byte characters, %u invalid single bytes, %u round-tripping double-byte codes,\n"
        "// %zu non-round-tripping codes (U+E800...), %u unassigned codes (U+EC00...),\n"
        "// %zu characters that only encode.\n"
        "#include \"text/codec_table.h\"\n\n"
        "namespace verlo::text::codec::table {\n\n",
        256u - 60u - invalidSingles, invalidSingles, roundTrips, standsFor.size(), unassigned, extra.size());
    std::printf("const char16_t kSingle[256] = {\n");
    for (unsigned b = 0; b < 256; ++b)
        std::printf("%s0x%04X,%s", b % 12 == 0 ? "    " : " ", static_cast<unsigned>(single[b]),
                    b % 12 == 11 || b == 255 ? "\n" : "");
    std::printf("};\n\nconst char16_t kDouble[kLeadCount][256] = {\n");
    for (unsigned li = 0; li < 60; ++li) {
        const unsigned lead = li < 31 ? 0x81 + li : 0xE0 + li - 31;
        std::printf("    // lead %02X\n    {\n", lead);
        for (unsigned t = 0; t < 256; ++t)
            std::printf("%s0x%04X,%s", t % 12 == 0 ? "        " : " ", static_cast<unsigned>(dbl[li][t]),
                        t % 12 == 11 || t == 255 ? "\n" : "");
        std::printf("    },\n");
    }
    std::printf("};\n\nconst char16_t kStandsFor[kRoundTripCount] = {\n");
    for (std::size_t i = 0; i < standsFor.size(); ++i)
        std::printf("%s0x%04X,%s", i % 12 == 0 ? "    " : " ", static_cast<unsigned>(standsFor[i]),
                    i % 12 == 11 || i + 1 == standsFor.size() ? "\n" : "");
    std::printf("};\n\nconst EncodeExtra kEncodeExtra[kEncodeExtraCount] = {\n");
    for (const auto& [c, code] : extra) std::printf("    {0x%04X, 0x%04X},\n", static_cast<unsigned>(c), code);
    std::printf("};\n\n}  // namespace verlo::text::codec::table\n");

    std::fprintf(stderr, "kRoundTripCount = %zu, kUnassignedCount = %u, kEncodeExtraCount = %zu\n",
                 standsFor.size(), unassigned, extra.size());
    return 0;
}
