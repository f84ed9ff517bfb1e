// Which kind of word a character belongs to, for double-click selection and word moves:
// a run of characters of one class is a word. Japanese has no spaces between words, so
// the scripts themselves part them: kanji, hiragana, katakana, Latin letters and digits.
#pragma once

namespace verlo::edit {

enum class WordClass {
    Blank,     // space, tab, ideographic space
    Latin,     // letters and digits (ASCII and full-width), underscore
    Kanji,     // ideographs and their iteration marks (々〆〇)
    Hiragana,  // hiragana, with the prolonged sound mark and the iteration marks ゝゞ
    Katakana,  // katakana (full and half width), with ー and ヽヾ
    Other,     // punctuation, symbols, line breaks, bytes that are not text: one character each
};

WordClass wordClassOf(char32_t c);

}  // namespace verlo::edit
