#include "edit/word_class.h"

namespace verlo::edit {

WordClass wordClassOf(char32_t c) {
    if (c == U' ' || c == U'\t' || c == U'\u3000') return WordClass::Blank;
    if ((c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') || c == U'_' ||
        (c >= U'\uFF10' && c <= U'\uFF19') || (c >= U'\uFF21' && c <= U'\uFF3A') || (c >= U'\uFF41' && c <= U'\uFF5A') ||
        (c >= U'\u00C0' && c <= U'\u024F' && c != U'\u00D7' && c != U'\u00F7') || (c >= U'\u0391' && c <= U'\u03C9') ||
        (c >= U'\u0401' && c <= U'\u0451'))
        return WordClass::Latin;
    if ((c >= U'\u4E00' && c <= U'\u9FFF') || (c >= U'\u3400' && c <= U'\u4DBF') || (c >= U'\uF900' && c <= U'\uFAFF') ||
        c == U'\u3005' || c == U'\u3006' || c == U'\u3007')
        return WordClass::Kanji;
    if ((c >= U'\u3041' && c <= U'\u3096') || c == U'\u309D' || c == U'\u309E') return WordClass::Hiragana;
    if ((c >= U'\u30A1' && c <= U'\u30FA') || c == U'\u30FC' || c == U'\u30FD' || c == U'\u30FE' ||
        (c >= U'\uFF66' && c <= U'\uFF9F'))
        return WordClass::Katakana;
    return WordClass::Other;
}

}  // namespace verlo::edit
