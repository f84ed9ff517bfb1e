#include "settings/typed_values.h"

#include <array>
#include <vector>

namespace verlo::settings {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isSpecial(char c) { return c == '\n' || c == '\r' || c == '"' || c == ';' || c == '=' || c == '\\'; }

// One logical line as QSettings reads it: a quoted stretch and a backslash carry it over
// line ends; a ';' at its start makes a comment and elsewhere ends it.
struct Line {
    std::size_t start = 0;
    std::size_t length = 0;
    std::size_t equals = std::string_view::npos;
};

bool nextLine(std::string_view data, std::size_t& pos, Line& line) {
    const std::size_t n = data.size();
    bool inQuotes = false;
    line.equals = std::string_view::npos;
    line.start = pos;
    while (line.start < n && isSpace(data[line.start]))
        ++line.start;
    std::size_t i = line.start;
    while (i < n) {
        char ch = data[i];
        while (!isSpecial(ch)) {
            if (++i == n)
                goto done;
            ch = data[i];
        }
        ++i;
        if (ch == '=') {
            if (!inQuotes && line.equals == std::string_view::npos)
                line.equals = i - 1;
        } else if (ch == '\n' || ch == '\r') {
            if (i == line.start + 1) {
                ++line.start;
            } else if (!inQuotes) {
                --i;
                goto done;
            }
        } else if (ch == '\\') {
            if (i < n) {
                const char next = data[i++];
                if (i < n && ((next == '\n' && data[i] == '\r') || (next == '\r' && data[i] == '\n')))
                    ++i;
            }
        } else if (ch == '"') {
            inQuotes = !inQuotes;
        } else {  // ';'
            if (i == line.start + 1) {
                while (i < n && data[i] != '\n' && data[i] != '\r')
                    ++i;
                while (i < n && isSpace(data[i]))
                    ++i;
                line.start = i;
            } else if (!inQuotes) {
                --i;
                goto done;
            }
        }
    }
done:
    pos = i;
    line.length = i - line.start;
    return line.length > 0;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The texts QSettings makes of a value (one, or each item of a comma list), with its
// quotes and escapes undone; a character beyond ASCII made by an escape is kept as 0x7f.
std::vector<std::string> valueTexts(std::string_view v) {
    static constexpr std::array<std::pair<char, char>, 11> kEscapes{{{'a', '\a'}, {'b', '\b'}, {'f', '\f'},
        {'n', '\n'}, {'r', '\r'}, {'t', '\t'}, {'v', '\v'}, {'"', '"'}, {'?', '?'}, {'\'', '\''}, {'\\', '\\'}}};
    std::vector<std::string> texts(1);
    bool inQuotes = false;
    bool skipSpaces = true;
    auto put = [&](unsigned code) { texts.back() += code < 0x80 ? static_cast<char>(code) : '\x7f'; };
    for (std::size_t i = 0; i < v.size();) {
        const char ch = v[i];
        if (skipSpaces && (ch == ' ' || ch == '\t')) {
            ++i;
            continue;
        }
        skipSpaces = false;
        ++i;
        if (ch == '\\') {
            if (i >= v.size())
                break;
            const char e = v[i++];
            bool named = false;
            for (const auto& [from, to] : kEscapes)
                if (e == from) {
                    put(static_cast<unsigned char>(to));
                    named = true;
                }
            if (named) {
            } else if (e == 'x') {
                if (i < v.size() && hexDigit(v[i]) >= 0) {
                    unsigned code = 0;
                    while (i < v.size() && hexDigit(v[i]) >= 0)
                        code = ((code << 4) + static_cast<unsigned>(hexDigit(v[i++]))) & 0xffff;
                    put(code);
                }
            } else if (e >= '0' && e <= '7') {
                unsigned code = static_cast<unsigned>(e - '0');
                while (i < v.size() && v[i] >= '0' && v[i] <= '7')
                    code = ((code << 3) + static_cast<unsigned>(v[i++] - '0')) & 0xffff;
                put(code);
            } else if ((e == '\n' || e == '\r') && i < v.size() && (v[i] == '\n' || v[i] == '\r') && v[i] != e) {
                ++i;
            }
        } else if (ch == '"') {
            inQuotes = !inQuotes;
            skipSpaces = !inQuotes;
        } else if (ch == ',' && !inQuotes) {
            texts.emplace_back();
            skipSpaces = true;
        } else {
            texts.back() += ch;
        }
    }
    return texts;
}

bool decodedByQSettings(std::string_view value) {
    for (const std::string& text : valueTexts(value))
        for (const std::string_view typed : {"@Variant(", "@DateTime(", "@ByteArray("})
            if (std::string_view(text).starts_with(typed))
                return true;
    return false;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

QString fromBytes(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

ScreenedIni screenTypedValues(std::string_view bytes) {
    ScreenedIni out;
    std::size_t pos = bytes.starts_with("\xef\xbb\xbf") ? 3 : 0;
    std::size_t kept = 0;  // bytes before here are in out.bytes
    QString section;
    Line line;
    while (nextLine(bytes, pos, line)) {
        const std::string_view text = bytes.substr(line.start, line.length);
        if (text.front() == '[') {
            const std::size_t close = text.find(']');
            section = fromBytes(trimmed(text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
            continue;
        }
        if (line.equals == std::string_view::npos ||
            !decodedByQSettings(bytes.substr(line.equals + 1, line.start + line.length - line.equals - 1)))
            continue;
        const QString name = fromBytes(trimmed(bytes.substr(line.start, line.equals - line.start)));
        out.refused.insert(section.isEmpty() ? name : section + u'/' + name);
        out.bytes.append(bytes.substr(kept, line.start - kept));
        kept = line.start + line.length;
    }
    out.bytes.append(bytes.substr(kept));
    return out;
}

}  // namespace verlo::settings
