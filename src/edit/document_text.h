// The document's bytes as the user reads them, for Qt (the clipboard, the input method,
// screen readers): decoded once, straight into the QString, a piece at a time, so that a
// copy of the whole of a large text needs no second copy of its bytes or a temporary
// UTF-16 string besides the result.
#pragma once

#include <QString>
#include <cstddef>
#include <string_view>

#include "text/document.h"

namespace verlo::edit {

// [from, to) of the document (character boundaries), stand-ins as what they stand for;
// with lf every line break (CR LF, a lone CR, a lone LF) as LF, as the clipboard of a Linux
// desktop carries them.
QString documentText(const text::Document& doc, std::size_t from, std::size_t to, bool lf = false);

// The same for bytes taken from a document without stand-ins.
QString decodedText(std::string_view bytes, bool lf = false);

}  // namespace verlo::edit
