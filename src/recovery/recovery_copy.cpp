#include "recovery/recovery_copy.h"

#include <charconv>

#include "text/cp932.h"

namespace verlo::recovery {
namespace {

constexpr std::string_view kMagic = "VERLO-RECOVERY 1\n";

std::string escapePath(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : path) {
        if (c == '%' || c == '\n' || c == '\r') {
            out += '%';
            out += kHex[static_cast<unsigned char>(c) >> 4];
            out += kHex[static_cast<unsigned char>(c) & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> unescapePath(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        if (i + 2 >= s.size()) return std::nullopt;
        const int hi = hexValue(s[i + 1]);
        const int lo = hexValue(s[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

// Takes the next line "<key> <value>" from rest; nothing when it is not there.
std::optional<std::string_view> field(std::string_view& rest, std::string_view key) {
    const std::size_t eol = rest.find('\n');
    if (eol == std::string_view::npos) return std::nullopt;
    const std::string_view line = rest.substr(0, eol);
    if (line.size() < key.size() + 1 || line.substr(0, key.size()) != key || line[key.size()] != ' ')
        return std::nullopt;
    rest.remove_prefix(eol + 1);
    return line.substr(key.size() + 1);
}

template <class T>
std::optional<T> number(std::optional<std::string_view> s) {
    if (!s || s->empty()) return std::nullopt;
    T value{};
    const auto [end, ec] = std::from_chars(s->data(), s->data() + s->size(), value);
    if (ec != std::errc() || end != s->data() + s->size()) return std::nullopt;
    return value;
}

}  // namespace

std::string serializeCopy(const RecoveryCopy& copy) { return copyHeader(copy) + copy.text; }

std::string copyHeader(const RecoveryCopy& copy) {
    std::string out(kMagic);
    out += "path " + escapePath(copy.path) + "\n";
    out += "encoding " + copy.encoding + "\n";
    out += "breaks " + copy.lineBreaks + "\n";
    out += "caret " + std::to_string(copy.caret) + "\n";
    out += "written " + std::to_string(copy.written) + "\n";
    if (!copy.standIns.empty()) out += "standins " + copy.standIns + "\n";
    out += "length " + std::to_string(copy.text.size()) + "\n\n";
    return out;
}

std::optional<RecoveryCopy> parseCopy(std::string_view bytes) {
    if (bytes.substr(0, kMagic.size()) != kMagic) return std::nullopt;
    std::string_view rest = bytes.substr(kMagic.size());
    RecoveryCopy copy;
    const auto path = field(rest, "path");
    const auto encoding = field(rest, "encoding");
    const auto breaks = field(rest, "breaks");
    const auto caret = number<std::size_t>(field(rest, "caret"));
    const auto written = number<std::int64_t>(field(rest, "written"));
    const auto standIns = field(rest, "standins");  // absent in copies of texts without stand-ins
    const auto length = number<std::size_t>(field(rest, "length"));
    if (!path || !encoding || !breaks || !caret || !written || !length) return std::nullopt;
    if (rest.empty() || rest[0] != '\n' || rest.size() - 1 != *length) return std::nullopt;
    const auto unescaped = unescapePath(*path);
    if (!unescaped || encoding->empty() || breaks->empty() || *caret > *length) return std::nullopt;
    copy.path = *unescaped;
    copy.encoding = std::string(*encoding);
    copy.lineBreaks = std::string(*breaks);
    copy.caret = *caret;
    copy.written = *written;
    copy.text = std::string(rest.substr(1));
    copy.standIns = std::string(standIns.value_or(std::string_view()));
    return copy;
}

std::string firstLine(std::string_view text, std::size_t limit) {
    const std::size_t eol = text.find_first_of("\r\n");
    std::string_view line = text.substr(0, eol);
    if (line.size() > limit) line = line.substr(0, text::cp932::snapBack(line, limit));
    return std::string(line);
}

}  // namespace verlo::recovery
