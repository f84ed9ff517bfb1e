// The print preview page: the document as a small HTML page, in vertical writing when the
// window writes vertically, in the edit control's font. Bytes in the code page, no
// byte-order mark, no character-set declaration.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/stand_ins.h"

class QFont;

namespace verlo::preview {

// The page for `text` (the document's bytes). verHor 1 adds the vertical-writing
// declarations with a column height of fontSizePt * retsu points. The text's & < > are
// written as entities and every CR LF as <BR>; the font name goes in as a single-quoted CSS
// string (its quote, backslash and control characters as CSS escapes) with & < > " as
// entities (and a character the code page cannot hold as a numeric reference).
// showRuby turns the ruby notation (text/ruby_notation.h) into <ruby>base<rt>ruby</rt></ruby>
// and emphasis into <em class="bouten"> drawn with sesame dots (a style in the page's head);
// without it the page is the same whatever the text holds. standIns: what the text's
// user-defined-area codes stand for; such a character goes in as itself when the code page
// holds it, else as numeric references.
std::string PreviewPage(std::string_view text, const QString& fontName, int fontSizePt, std::int32_t verHor,
                        std::int32_t retsu, bool showRuby = false, const text::StandIns* standIns = nullptr);

// The font size in whole points as the page states it.
int PreviewFontSize(const QFont& font);

}  // namespace verlo::preview
