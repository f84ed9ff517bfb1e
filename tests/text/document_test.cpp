#include "text/document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace verlo::text;

namespace {

std::vector<std::size_t> lineStarts(const Document& doc) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < doc.lineCount(); ++i) out.push_back(doc.lineStart(i));
    return out;
}

struct Recorder : DocumentListener {
    std::vector<Change> changes;
    void documentChanged(const Change& c) override { changes.push_back(c); }
};

}  // namespace

TEST(DocumentLines, HardLinesOfAnnotatedTexts) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::size_t> starts;
        std::vector<std::size_t> breakLengths;
    };
    const Case cases[] = {
        {"empty text: one line", "", {0}, {0}},
        {"no break", "abc", {0}, {0}},
        {"CR LF ends one line", "ab\r\ncd", {0, 4}, {2, 0}},
        {"lone LF", "ab\ncd", {0, 3}, {1, 0}},
        {"lone CR", "ab\rcd", {0, 3}, {1, 0}},
        {"break at the end: an empty last line", "ab\r\n", {0, 4}, {2, 0}},
        {"lone CR at the end", "ab\r", {0, 3}, {1, 0}},
        {"CR CR LF LF: CR | CR LF | LF", "\r\r\n\n", {0, 1, 3, 4}, {1, 2, 1, 0}},
        {"LF CR: two breaks", "\n\r", {0, 1, 2}, {1, 1, 0}},
        {"double-byte trail bytes never end a line", "\x95\x5C\x83\x40", {0}, {0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Document doc;
        doc.setText(c.text);
        EXPECT_EQ(lineStarts(doc), c.starts);
        for (std::size_t line = 0; line < c.starts.size(); ++line) {
            EXPECT_EQ(doc.lineBreakLength(line), c.breakLengths[line]) << line;
            const std::size_t next = line + 1 < c.starts.size() ? c.starts[line + 1] : c.text.size();
            EXPECT_EQ(doc.lineEnd(line), next - c.breakLengths[line]) << line;
            for (std::size_t p = c.starts[line]; p < next; ++p) EXPECT_EQ(doc.lineOfPos(p), line) << p;
        }
        EXPECT_EQ(doc.lineOfPos(c.text.size() + 5), c.starts.size() - 1);
        EXPECT_EQ(doc.lineStart(c.starts.size()), npos);
        EXPECT_EQ(doc.lineEnd(c.starts.size()), npos);
    }
}

TEST(DocumentLines, ChangeReportsTheTouchedLines) {
    struct Case {
        const char* what;
        std::string before;
        std::size_t pos, len;
        std::string bytes;
        std::size_t firstLine, linesRemoved, linesAdded;
    };
    const Case cases[] = {
        {"typing inside a line", "ab\r\ncd", 1, 0, "x", 0, 0, 0},
        {"typing at the start of line 1", "ab\r\ncd", 4, 0, "x", 1, 0, 0},
        {"typing at the end of the text", "ab\r\ncd", 6, 0, "x", 1, 0, 0},
        {"Enter inside line 0", "ab\r\ncd", 1, 0, "\r\n", 0, 0, 1},
        {"Enter at the start of line 1", "ab\r\ncd", 4, 0, "\r\n", 1, 0, 1},
        {"deleting a CR LF joins lines 0 and 1", "ab\r\ncd", 2, 2, "", 0, 1, 0},
        {"deleting the first byte of line 1", "ab\r\ncd", 4, 1, "", 1, 0, 0},
        {"LF after a lone CR forms CR LF: the break moves", "a\rb", 2, 0, "\n", 0, 1, 1},
        {"LF typed after CR at the very end", "a\r", 2, 0, "\n", 0, 1, 1},
        {"a byte between CR and LF splits them", "a\r\nb", 2, 0, "x", 0, 0, 1},
        {"removing LF of CR LF leaves a lone CR", "a\r\nb", 2, 1, "", 0, 1, 1},
        {"removing CR of CR LF leaves a lone LF", "a\r\nb", 1, 1, "", 0, 0, 0},
        {"a break at pos replaced: line 1 joins line 0", "a\rXb", 2, 1, "\n", 0, 1, 1},
        {"replacing two lines by three", "a\nb\nc\nd", 1, 4, "\n1\n2\n3", 0, 2, 3},
        {"removing everything", "a\nb\nc", 0, 5, "", 0, 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Document doc;
        doc.setText(c.before);
        Recorder rec;
        doc.addListener(&rec);
        doc.replace(c.pos, c.len, c.bytes, EditKind::Edit);
        ASSERT_EQ(rec.changes.size(), 1u);
        const Change& ch = rec.changes[0];
        EXPECT_EQ(ch.pos, c.pos);
        EXPECT_EQ(ch.removed, c.len);
        EXPECT_EQ(ch.inserted, c.bytes.size());
        EXPECT_EQ(ch.firstLine, c.firstLine);
        EXPECT_EQ(ch.linesRemoved, c.linesRemoved);
        EXPECT_EQ(ch.linesAdded, c.linesAdded);
    }
}

TEST(DocumentLines, ListenerSeesTheChangeRecordedAndIndexed) {
    Document doc;
    doc.setText("ab");
    struct Probe : DocumentListener {
        Document* doc = nullptr;
        bool canUndo = false;
        std::size_t lines = 0;
        void documentChanged(const Change&) override {
            canUndo = doc->canUndo();
            lines = doc->lineCount();
        }
    } probe;
    probe.doc = &doc;
    doc.addListener(&probe);
    doc.replace(1, 0, "\r\n", EditKind::Typing);
    EXPECT_TRUE(probe.canUndo);
    EXPECT_EQ(probe.lines, 2u);
    doc.removeListener(&probe);
    doc.replace(0, 0, "x", EditKind::Edit);  // no listener: nothing to tell
    EXPECT_EQ(doc.text(), "xa\r\nb");
}

TEST(DocumentText, SlicesAndViewsAcrossAnEdit) {
    Document doc;
    doc.setText("0123456789");
    doc.replace(5, 0, "ab", EditKind::Edit);  // the block's gap now sits after "01234ab"
    EXPECT_EQ(doc.text(), "01234ab56789");
    EXPECT_EQ(doc.slice(3, 6), "34ab56");
    EXPECT_EQ(doc.slice(10, 100), "89");
    EXPECT_EQ(doc.slice(99, 1), "");
    EXPECT_EQ(doc.byteAt(6), 'b');
    EXPECT_EQ(doc.byteAt(7), '5');
    EXPECT_EQ(doc.byteAt(12), 0);
    EXPECT_EQ(doc.view(3, 6), "34ab56");
    EXPECT_EQ(doc.view(0, 12), "01234ab56789");
    EXPECT_EQ(doc.view(11, 5), "9");
    // Out-of-range replacements are clamped to the text.
    doc.replace(100, 3, "!", EditKind::Edit);
    doc.replace(0, 100, doc.text() + "?", EditKind::Edit);
    EXPECT_EQ(doc.text(), "01234ab56789!?");
}

TEST(DocumentText, LargeTextThroughManyPlaces) {
    // Growing the blocks, splitting them and moving their gaps back and forth keeps every byte.
    Document doc;
    std::string model;
    for (int i = 0; i < 2000; ++i) {
        const std::string piece = std::to_string(i) + (i % 7 == 0 ? "\r\n" : " ");
        const std::size_t pos = (static_cast<std::size_t>(i) * 7919) % (model.size() + 1);
        doc.replace(pos, 0, piece, EditKind::Edit);
        model.insert(pos, piece);
    }
    EXPECT_EQ(doc.text(), model);
    doc.setText("short");
    EXPECT_EQ(doc.text(), "short");
    EXPECT_EQ(doc.lineCount(), 1u);
}

TEST(DocumentCaret, NeverInsideADoubleByteCharacterOrACrLf) {
    // a | 表 (95 5C) | CR LF | ｱ (B1) | 88 88 | lone 82 at the end
    Document doc;
    doc.setText("a\x95\x5C\r\n\xB1\x88\x88\x82");
    const std::size_t n = doc.length();  // 9
    ASSERT_EQ(n, 9u);
    const std::size_t snap[] = {0, 1, 1, 3, 3, 5, 6, 6, 8, 9};
    for (std::size_t p = 0; p <= n; ++p) EXPECT_EQ(doc.snapCaretPos(p), snap[p]) << p;
    std::vector<std::size_t> forward{0};
    while (forward.back() < n) forward.push_back(doc.nextCaretPos(forward.back()));
    EXPECT_EQ(forward, (std::vector<std::size_t>{0, 1, 3, 5, 6, 8, 9}));
    std::vector<std::size_t> back{n};
    while (back.back() > 0) back.push_back(doc.prevCaretPos(back.back()));
    EXPECT_EQ(back, (std::vector<std::size_t>{9, 8, 6, 5, 3, 1, 0}));
    EXPECT_EQ(doc.nextCaretPos(2), 3u);  // from inside 表: snapped first
    EXPECT_EQ(doc.prevCaretPos(4), 1u);  // from between CR and LF
    EXPECT_EQ(doc.nextCaretPos(n + 3), n);
    EXPECT_EQ(doc.charLength(1), 2u);
    EXPECT_EQ(doc.charLength(8), 1u);
    EXPECT_EQ(doc.charLength(9), 0u);
}

TEST(DocumentModified, LoadingAndReplacingTheWholeText) {
    Document doc;
    EXPECT_FALSE(doc.modified());
    doc.setText("file");
    EXPECT_TRUE(doc.modified());  // a not-undoable change
    EXPECT_FALSE(doc.canUndo());
    doc.setModified(false);  // as loading a file does
    EXPECT_FALSE(doc.modified());
    doc.replace(0, 0, "", EditKind::NotUndoable);  // nothing replaced by nothing
    EXPECT_FALSE(doc.modified());
    doc.replace(4, 0, "!", EditKind::NotUndoable);
    EXPECT_TRUE(doc.modified());
}

TEST(DocumentLoneLead, ChangesThatWouldPairALoneLeadByteWithANeighbour) {
    // 82 stands alone before a byte that cannot end a character (end, space, CR) and pairs
    // with one that can (x, a kana's first byte 82, half-width kana B1).
    const struct {
        const char* text;
        std::size_t pos, len;
        const char* bytes;
        bool joins;
    } cases[] = {
        {"abc\x82", 4, 0, "x", true},            // typed after a lone lead byte at the end
        {"abc\x82", 4, 0, "\x82\xA0", true},     // a double-byte character
        {"abc\x82", 4, 0, "\xB1", true},         // half-width kana
        {"abc\x82", 4, 0, "1", false},           // a digit never ends a character
        {"abc\x82", 4, 0, "\r\n", false},
        {"\x82 x", 1, 1, "", true},               // deleting the space joins 82 and x
        {"\x82 x", 1, 1, "y", true},              // replacing it by a trail-class byte too
        {"\x82 x", 1, 1, "-", false},
        {"\x82 ", 1, 1, "", false},               // nothing follows
        {"a x", 2, 0, "\x82", true},              // a lone lead byte inserted before x
        {"a x", 1, 0, "\x82", false},             // before the space it stays alone
        {"a x", 1, 0, "\x82\xA0", false},         // a whole character ends the insertion
        {"a\x82\xA0", 1, 0, "\x82", true},        // before a kana's first byte, which is trail-class
        {"\x82\xA0x", 0, 2, "", false},           // deleting a whole character
        {"\x82\xA0x", 2, 1, "", false},
        {"\x82 x", 1, 0, "", false},              // no change at all
        {"\x82\r\nx", 2, 0, "a", false},          // between CR and LF: the character before is the CR
        {"\x82\x82\xA0 x", 3, 1, "", false},      // 82 82 is a character; A0 alone is no lead byte
    };
    for (const auto& c : cases) {
        Document doc;
        doc.setText(c.text);
        EXPECT_EQ(doc.joinsLoneLead(c.pos, c.len, c.bytes), c.joins) << c.text << " @" << c.pos << "+" << c.len;
    }
}

TEST(LineBreaks, ToCrLf) {
    EXPECT_EQ(toCrLf(""), "");
    EXPECT_EQ(toCrLf("a\nb"), "a\r\nb");
    EXPECT_EQ(toCrLf("a\rb"), "a\r\nb");
    EXPECT_EQ(toCrLf("a\r\nb"), "a\r\nb");
    EXPECT_EQ(toCrLf("\n\r"), "\r\n\r\n");         // LF then a lone CR: two breaks
    EXPECT_EQ(toCrLf("\r\r\n\n"), "\r\n\r\n\r\n");  // CR | CR LF | LF
    EXPECT_EQ(toCrLf("\x95\x5C\n"), "\x95\x5C\r\n");
}

TEST(DocumentLoad, PiecesGiveWhatSetTextGives) {
    // Pieces cut everywhere, CR LF pairs and lone CRs included, over small blocks.
    const std::string text = "ab\r\ncd\ref\n\r\n\r\rgh\x82\xA0\r\n" + std::string(300, 'x') + "\r";
    for (std::size_t step : {1, 2, 3, 7, 1000}) {
        SCOPED_TRACE("pieces of " + std::to_string(step));
        Document expected(StorageShape{16, 4});
        expected.setText("old\r\ntext");
        Recorder wanted;
        expected.addListener(&wanted);
        expected.setText(text);

        Document doc(StorageShape{16, 4});
        doc.setText("old\r\ntext");
        doc.replace(0, 0, "x", EditKind::Typing);
        Recorder seen;
        doc.addListener(&seen);
        std::size_t at = 0;
        doc.loadText([&](StandIns&) {
            const std::string_view piece = std::string_view(text).substr(std::min(at, text.size()), step);
            at += step;
            return piece;
        });
        EXPECT_EQ(doc.text(), text);
        EXPECT_EQ(lineStarts(doc), lineStarts(expected));
        EXPECT_FALSE(doc.canUndo());
        ASSERT_EQ(seen.changes.size(), 1u);
        EXPECT_EQ(seen.changes[0].removed, wanted.changes[0].removed + 1);
        EXPECT_EQ(seen.changes[0].inserted, wanted.changes[0].inserted);
        EXPECT_EQ(seen.changes[0].linesRemoved, wanted.changes[0].linesRemoved);
        EXPECT_EQ(seen.changes[0].linesAdded, wanted.changes[0].linesAdded);
        doc.replace(5, 0, "\n", EditKind::Typing);  // the blocks take edits as loaded ones do
        expected.replace(5, 0, "\n", EditKind::Typing);
        EXPECT_EQ(lineStarts(doc), lineStarts(expected));
        EXPECT_EQ(doc.text(), expected.text());
    }
}

TEST(DocumentLoad, TheRestTakenInLaterOrByAnEdit) {
    const std::string text = "ab\r\ncd\ref\n\r\n\r\rgh\x82\xA0\r\n" + std::string(300, 'x') + "\r";
    Document expected(StorageShape{16, 4});
    expected.setText(text);
    for (std::size_t step : {1, 2, 3, 7, 1000}) {
        SCOPED_TRACE("pieces of " + std::to_string(step));
        for (int how = 0; how < 3; ++how) {  // more at a time; an edit; setText
            Document doc(StorageShape{16, 4});
            std::size_t at = 0;
            doc.startLoading([&](StandIns&) {
                const std::string_view piece = std::string_view(text).substr(std::min(at, text.size()), step);
                at += step;
                return piece;
            });
            doc.setModified(false);
            EXPECT_TRUE(doc.loading());  // until the end is asked for
            if (how == 0) {
                while (doc.loadMore(5)) ASSERT_EQ(doc.text(), text.substr(0, doc.length()));
                EXPECT_EQ(doc.text(), text);
                EXPECT_EQ(lineStarts(doc), lineStarts(expected));
                EXPECT_FALSE(doc.modified());
                EXPECT_FALSE(doc.canUndo());
            } else if (how == 1) {
                doc.replace(1, 1, "Z", EditKind::Typing);  // lands where it was typed, after the rest is in
                EXPECT_FALSE(doc.loading());
                EXPECT_EQ(doc.text(), "aZ" + text.substr(2));
                doc.undo();
                EXPECT_EQ(doc.text(), text);
                EXPECT_EQ(lineStarts(doc), lineStarts(expected));
            } else {
                const std::size_t asked = at;
                doc.setText("new");
                EXPECT_FALSE(doc.loading());
                EXPECT_EQ(at, asked);  // the rest is never asked for
                EXPECT_EQ(doc.text(), "new");
            }
        }
    }
}

TEST(DocumentListeners, EachHearsEveryChangeInTurnWithAGrowingRevision) {
    // One log for two listeners: who heard what, in the order they were told.
    struct Heard : DocumentListener {
        Heard(const Document& doc, std::vector<std::string>& log, char name) : doc(doc), log(log), name(name) {}
        void documentChanged(const Change& c) override {
            log.push_back(std::string(1, name) + (c.whole ? " whole " : " change ") + std::to_string(doc.revision()));
        }
        void documentLoaded() override { log.push_back(std::string(1, name) + " loaded"); }
        const Document& doc;
        std::vector<std::string>& log;
        char name;
    };
    Document doc(StorageShape{16, 4});
    std::vector<std::string> log;
    Heard a(doc, log, 'a'), b(doc, log, 'b');
    doc.addListener(&a);
    doc.addListener(&b);
    doc.setText("");  // nothing to nothing: still a whole text given
    doc.replace(0, 0, "x", EditKind::Typing);
    const std::string pieces[] = {"12", "34", ""};
    int next = 0;
    doc.startLoading([&](StandIns&) { return std::string_view(pieces[next++]); });
    doc.finishLoading();
    doc.removeListener(&a);
    doc.startLoading([&](StandIns&) { return std::string_view("56"); });
    doc.setText("new");  // drops the rest of the load: no loaded told
    EXPECT_EQ(log, (std::vector<std::string>{"a whole 1", "b whole 1", "a change 2", "b change 2", "a whole 3", "b whole 3",
                                             "a change 4", "b change 4", "a loaded", "b loaded", "b whole 5", "b whole 6"}));
}
