#include "edit/selection.h"

#include <string_view>

#include "edit/word_class.h"
#include "text/codec.h"
#include "text/cp932.h"

namespace verlo::edit {

void Selection::select(std::size_t anchor, std::size_t caret, bool up) {
    anchor_ = snap(anchor);
    caret_ = snap(caret);
    upstream_ = up;
}

void Selection::moveTo(std::size_t pos, bool extend, bool up, bool keepGoal) {
    if (!keepGoal) goal_ = -1;
    select(extend ? anchor_ : pos, pos, up);
}

void Selection::collapse(std::size_t pos) {
    anchor_ = caret_ = snap(pos);
    upstream_ = false;
    goal_ = -1;
}

std::size_t Selection::stepTarget(bool forward, bool byWord, bool extend) const {
    if (!empty() && !extend) return forward ? end() : start();
    if (byWord) return wordStep(doc_, caret_, forward);
    return forward ? doc_.nextCaretPos(caret_) : doc_.prevCaretPos(caret_);
}

void Selection::documentChanged(const text::Change& c) {
    auto map = [&](std::size_t p) {
        if (p < c.pos) return p;
        if (p <= c.pos + c.removed) return c.pos + c.inserted;
        return p - c.removed + c.inserted;
    };
    anchor_ = snap(map(anchor_));
    caret_ = snap(map(caret_));
    upstream_ = false;
    goal_ = -1;
}

// ---------------------------------------------------------------- words

namespace {

bool isBlank(text::Document& doc, std::size_t pos) {
    std::size_t n = 0;
    const char32_t c = text::codec::decodeChar(doc.view(pos, std::min<std::size_t>(2, doc.length() - pos)), 0, &n);
    return c == U' ' || c == U'\t' || c == U'\u3000';
}

}  // namespace

void wordAround(text::Document& doc, std::size_t pos, std::size_t* from, std::size_t* to) {
    const std::size_t paragraph = doc.lineOfPos(pos);
    const std::size_t start = doc.lineStart(paragraph);
    const std::size_t end = doc.lineEnd(paragraph);
    if (pos >= end) {
        *from = *to = pos;
        if (pos == end && end > start) wordAround(doc, doc.prevCaretPos(pos), from, to);
        return;
    }
    const std::string_view text = doc.view(start, end - start);
    std::size_t n = 0;
    const WordClass cls = wordClassOf(text::codec::decodeChar(text, pos - start, &n));
    // The prolonged sound mark ー goes with hiragana as well as with katakana (すごーい).
    auto same = [&](std::size_t at) {
        const char32_t c = text::codec::decodeChar(text, at, &n);
        return cls != WordClass::Other && (wordClassOf(c) == cls || (c == U'\u30FC' && cls == WordClass::Hiragana));
    };
    std::size_t b = pos - start;
    while (b > 0) {
        const std::size_t prev = text::cp932::prevBoundary(text, b);
        if (!same(prev)) break;
        b = prev;
    }
    std::size_t e = text::cp932::nextBoundary(text, pos - start);
    while (e < text.size() && same(e)) e = text::cp932::nextBoundary(text, e);
    *from = start + b;
    *to = start + e;
}

std::size_t wordStep(text::Document& doc, std::size_t pos, bool forward) {
    const std::size_t length = doc.length();
    std::size_t from = 0;
    std::size_t to = 0;
    if (forward) {
        if (pos >= length) return length;
        wordAround(doc, pos, &from, &to);
        // At the end of a line the word is the one before: go on over the line break.
        pos = to > pos ? to : doc.nextCaretPos(pos);
        while (pos < length && isBlank(doc, pos)) pos = doc.nextCaretPos(pos);
        return pos;
    }
    if (pos == 0) return 0;
    std::size_t p = doc.prevCaretPos(pos);
    while (p > 0 && isBlank(doc, p)) p = doc.prevCaretPos(p);
    wordAround(doc, p, &from, &to);
    return from;
}

}  // namespace verlo::edit
