#include "text/cp932.h"

namespace verlo::text::cp932 {
namespace {

struct ViewAt {
    std::string_view s;
    std::uint8_t operator()(std::size_t i) const { return static_cast<std::uint8_t>(s[i]); }
};

}  // namespace

std::size_t charLength(std::string_view s, std::size_t pos) { return charLengthAt(ViewAt{s}, s.size(), pos); }

std::size_t nextBoundary(std::string_view s, std::size_t pos) {
    if (pos >= s.size()) return s.size();
    return pos + charLength(s, pos);
}

std::size_t prevBoundary(std::string_view s, std::size_t pos) { return prevBoundaryAt(ViewAt{s}, s.size(), pos); }

std::size_t snapBack(std::string_view s, std::size_t pos) { return snapBackAt(ViewAt{s}, s.size(), pos); }

std::size_t countChars(std::string_view s) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); i += charLength(s, i)) ++count;
    return count;
}

}  // namespace verlo::text::cp932
