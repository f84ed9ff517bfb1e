// The laid-out lines kept up to date by single-paragraph re-wrapping must equal a layout
// made afresh, whatever the edits do to line breaks (lone CR, lone LF, CR LF split and joined).
#include "edit/layout.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text/codec.h"
#include "text/document.h"

using verlo::edit::Layout;
using verlo::edit::Writing;
using verlo::text::Document;
using verlo::text::EditKind;

namespace {

QFont ipaGothic(int pixelSize) {
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(pixelSize);
    return font;
}

void expectSameLines(Layout& kept, Document& doc, Writing writing, float width) {
    Document fresh;
    fresh.setText(doc.text());
    Layout afresh(fresh);
    afresh.setFont(ipaGothic(16), writing);
    afresh.setWrapWidth(width);
    ASSERT_EQ(kept.lineCount(), afresh.lineCount());
    for (std::size_t line = 0; line < afresh.lineCount(); ++line)
        ASSERT_EQ(kept.lineStart(line), afresh.lineStart(line)) << "line " << line;
    for (std::size_t pos = 0; pos <= doc.length(); pos += 7)
        ASSERT_EQ(kept.lineFromChar(pos), afresh.lineFromChar(pos)) << "pos " << pos;
}

}  // namespace

TEST(Layout, EditsKeepTheSameLinesAsAFreshLayout) {
    const std::string pieces[] = {
        "a", " ", "\r", "\n", "\r\n", "word ", verlo::text::codec::encode(u"あ").bytes,
        verlo::text::codec::encode(u"。").bytes, verlo::text::codec::encode(u"「漢字」").bytes, "12",
        verlo::text::codec::encode(u"ーっ").bytes};
    for (Writing writing : {Writing::Horizontal, Writing::Vertical}) {
        std::mt19937 rng(writing == Writing::Horizontal ? 11 : 12);
        Document doc;
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
        for (int step = 0; step < 400; ++step) {
            const std::size_t len = doc.length();
            const std::size_t pos = len ? rng() % (len + 1) : 0;  // any byte, even inside CR LF
            const std::size_t removed = pos < len && rng() % 3 == 0 ? std::min<std::size_t>(rng() % 6, len - pos) : 0;
            std::string inserted;
            for (unsigned k = rng() % 4; k > 0; --k) inserted += pieces[rng() % std::size(pieces)];
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
