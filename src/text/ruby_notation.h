// The ruby notation writers use in plain text, read from the CP932 bytes of one paragraph:
//
//   ｜青空《あおぞら》   ruby over an explicit base: from the bar to the opening bracket
//   漢字《かんじ》       ruby over the run of one script just before 《: kanji (with 々〆〇ヶ仝),
//                        hiragana (with ゝゞ), katakana (with ー ヽヾ) or Latin letters
//                        (ASCII and full width); the run stops where the script changes
//   《《強調》》         emphasis dots beside every character of the text
//
// The text stays the text: a group is a set of byte ranges into the paragraph, and whatever
// forms no group is shown as written. There is no escape; a bracket that forms no group is
// simply shown. The decisions for text that does not fit the notation:
//   - a 《 with no 》 after it on the same paragraph forms no group (a group never crosses a
//     line break: the paragraph is all the parser sees);
//   - 《》 with nothing before it that can be a base (the paragraph's start, punctuation, a
//     space, a closing bracket), and empty ruby 《》, form no group;
//   - a ｜ takes the nearest 《 after it on the paragraph; a ｜ with no 《 after it, or with
//     an empty base (｜《...》), or whose base would hold a bracket of the notation, is shown
//     as written (and 《 then takes its base from the script run, as without a bar);
//   - a 《 inside ruby (漢字《か《ん》じ》) stops the outer one: the first 《 is shown as
//     written and the inner one may form a group of its own;
//   - 《《 with its 》》 is emphasis even right after a base (漢字《《強調》》 is emphasis, not
//     ruby); emphasis holds no brackets of the notation and no ｜, and is never empty;
//   - ruby has no length limit here; how long ruby is drawn is up to the one drawing it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace verlo::text::ruby {

enum class Kind : std::uint8_t { Ruby, Emphasis };

// Byte offsets into the paragraph. [begin, end) is the whole group as written, marks
// included; [baseBegin, baseEnd) the text drawn at full size (for emphasis, the text that
// gets the dots); [rubyBegin, rubyEnd) the ruby (empty for emphasis).
struct Group {
    Kind kind = Kind::Ruby;
    std::uint32_t begin = 0;
    std::uint32_t baseBegin = 0;
    std::uint32_t baseEnd = 0;
    std::uint32_t rubyBegin = 0;
    std::uint32_t rubyEnd = 0;
    std::uint32_t end = 0;
    friend bool operator==(const Group&, const Group&) = default;
};

// True when the paragraph may hold a group (it holds the bytes of 《): a quick test that
// lets paragraphs without the notation skip the parser.
bool mayHoldGroups(std::string_view paragraph);

// True when the character at pos (a character start) is hiragana or katakana, which ruby
// longer than its base may reach over.
bool isKana(std::string_view paragraph, std::size_t pos);

// The groups of one paragraph (its bytes without the line break), in order, appended to out
// after clearing it. Linear in the paragraph's length.
void parse(std::string_view paragraph, std::vector<Group>& out);

}  // namespace verlo::text::ruby
