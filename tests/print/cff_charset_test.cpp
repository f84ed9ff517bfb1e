// The CIDs of a CID-keyed CFF table, read from small tables made here in each charset format.
#include "print/cff_charset.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using verlo::print::cffGlyphCids;

namespace {

// A CFF table of four glyphs whose top dictionary is CID-keyed (or not) and whose charset
// (at byte 44) is `charset`.
std::string cffTable(bool cidKeyed, const std::string& charset) {
    std::string t("\x01\x00\x04\x01", 4);                        // header
    t += std::string("\x00\x01\x01\x01\x02" "A", 6);             // name index: one name
    std::string dict = cidKeyed ? std::string("\x8B\x8B\x8B\x0C\x1E", 5)  // registry, ordering, supplement
                                : std::string("\x8B\x8B\x8B\x8B\x8B", 5);
    dict += std::string("\x1C\x00\x2C\x0F", 4);                  // charset at 44
    dict += std::string("\x1C\x00\x20\x11", 4);                  // glyph programs at 32
    t += std::string("\x00\x01\x01\x01", 4) + static_cast<char>(1 + dict.size()) + dict;  // top dictionary index
    t += std::string("\x00\x00\x00\x00", 4);                     // strings, global subroutines
    t += std::string("\x00\x04\x01\x01\x02\x03\x04\x05\x0E\x0E\x0E\x0E", 12);  // four glyph programs
    return t + charset;
}

}  // namespace

TEST(CffCharset, CidsOfEveryFormatAndNoneForOtherTables) {
    using Cids = std::vector<std::uint16_t>;
    struct Case {
        const char* what;
        bool cidKeyed;
        std::string charset;
        Cids cids;
    };
    const Case cases[] = {
        {"format 0", true, std::string("\x00\x00\x0A\x00\x14\x00\x1E", 7), {0, 10, 20, 30}},
        {"format 1", true, std::string("\x01\x00\x64\x02", 4), {0, 100, 101, 102}},
        {"format 1, two ranges", true, std::string("\x01\x00\x64\x00\x00\xC8\x01", 7), {0, 100, 200, 201}},
        {"format 2", true, std::string("\x02\x01\xF4\x00\x02", 5), {0, 500, 501, 502}},
        {"not CID-keyed", false, std::string("\x00\x00\x0A\x00\x14\x00\x1E", 7), {}},
        {"charset cut short", true, std::string("\x00\x00\x0A", 3), {}},
        {"unknown format", true, std::string("\x07\x00\x0A\x00\x14\x00\x1E", 7), {}},
    };
    for (const Case& c : cases) EXPECT_EQ(cffGlyphCids(cffTable(c.cidKeyed, c.charset)), c.cids) << c.what;
    const std::string whole = cffTable(true, cases[0].charset);
    for (std::size_t n : {0, 3, 12, 30, 40}) EXPECT_TRUE(cffGlyphCids(whole.substr(0, n)).empty()) << n << " bytes";
}
