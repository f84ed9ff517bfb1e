// The laid-out lines kept up to date by single-paragraph re-wrapping must equal a layout
// made afresh, whatever the edits do to line breaks (lone CR, lone LF, CR LF split and joined).
#include "edit/layout.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text/codec.h"
#include "text/document.h"
#include "support/qt_helpers.h"

using verlo::edit::Layout;
using verlo::edit::Writing;
using verlo::text::Document;
using verlo::text::EditKind;

namespace {

using verlo::test::ipaGothic;

void expectSameLines(Layout& kept, Document& doc, Writing writing, float width) {
    bool upstream = false;
    Document fresh;
    fresh.setText(doc.text());
    Layout afresh(fresh);
    afresh.setFont(ipaGothic(16), writing);
    afresh.setWrapWidth(width);
    ASSERT_EQ(kept.lineCount(), afresh.lineCount());
    for (std::size_t line = 0; line < afresh.lineCount(); ++line) {
        ASSERT_EQ(kept.lineStart(line), afresh.lineStart(line)) << "line " << line;
        const Layout::Line l = kept.line(line);
        ASSERT_EQ(l.startPos(), afresh.lineStart(line)) << "line " << line;
        if (!l.lastOfParagraph) {
            ASSERT_EQ(l.endPos(), afresh.lineStart(line + 1)) << "line " << line;
        }
        ASSERT_EQ(l.hit(0, &upstream), l.startPos()) << "line " << line;
    }
    for (std::size_t pos = 0; pos <= doc.length(); pos += 7)
        ASSERT_EQ(kept.lineFromChar(pos), afresh.lineFromChar(pos)) << "pos " << pos;
}

// Random edits at any byte, checked against a fresh layout every few steps. With a
// starting text longer than 64 KB the first paragraph is a long one.
void editAtRandom(const std::string& start, int steps, bool lineBreaks) {
    const std::string pieces[] = {
        "a", " ", "\r", "\n", "\r\n", "word ", verlo::text::codec::encode(u"あ").bytes,
        verlo::text::codec::encode(u"。").bytes, verlo::text::codec::encode(u"「漢字」").bytes, "12",
        verlo::text::codec::encode(u"ーっ").bytes};
    for (Writing writing : {Writing::Horizontal, Writing::Vertical}) {
        std::mt19937 rng(writing == Writing::Horizontal ? 11 : 12);
        Document doc;
        doc.setText(start);
        Layout layout(doc);
        struct Listener : verlo::text::DocumentListener {
            Layout* layout = nullptr;
            void documentChanged(const verlo::text::Change& c) override { layout->documentChanged(c); }
        } listener;
        listener.layout = &layout;
        doc.setListener(&listener);
        layout.setFont(ipaGothic(16), writing);
        layout.setWrapWidth(100);
        layout.lineCount();  // laid out, so that changes are followed one by one
        for (int step = 0; step < steps; ++step) {
            const std::size_t len = doc.length();
            const std::size_t pos = len ? rng() % (len + 1) : 0;  // any byte, even inside CR LF
            const std::size_t removed = pos < len && rng() % 3 == 0 ? std::min<std::size_t>(rng() % 6, len - pos) : 0;
            std::string inserted;
            for (unsigned k = rng() % 4; k > 0; --k) {
                const std::string& piece = pieces[rng() % std::size(pieces)];
                if (lineBreaks || piece.find_first_of("\r\n") == std::string::npos) inserted += piece;
            }
            doc.replace(pos, removed, inserted, EditKind::Edit);
            if (step % 20 == 0) {
                layout.trimCache();
                ASSERT_NO_FATAL_FAILURE(expectSameLines(layout, doc, writing, 100)) << "step " << step;
            }
            if (step % 50 == 0) layout.line(rng() % layout.lineCount());
        }
        expectSameLines(layout, doc, writing, 100);
        doc.setListener(nullptr);
    }
}

}  // namespace

TEST(Layout, EditsKeepTheSameLinesAsAFreshLayout) { editAtRandom("", 400, true); }

TEST(Layout, EditsInALongParagraph) {
    std::string text;
    const std::string words[] = {verlo::text::codec::encode(u"吾輩は猫である。").bytes, "Latin words 12 ",
                                 verlo::text::codec::encode(u"「名前」はまだ無い、").bytes, "2026"};
    for (std::size_t i = 0; text.size() < 70 * 1024; ++i) text += words[i * 7 % 4];
    editAtRandom(text + "\r\n" + text.substr(0, 3000), 150, false);
}
