// The laid-out lines kept up to date by single-paragraph re-wrapping must equal a layout
// made afresh, whatever the edits do to line breaks (lone CR, lone LF, CR LF split and joined);
// so must a layout made in the background, once its workers are done, and while they are
// not its answers agree with each other. All of it with ruby shown too (ruby folded, the
// groups at the caret as written), by the workers as by the interface thread.
#include "edit/layout.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <random>
#include <string>

#include "text/codec.h"
#include "text/document.h"
#include "support/qt_helpers.h"

using verlo::edit::Layout;
using verlo::typeset::Writing;
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
    if (kept.ruby()) {
        afresh.setRubyShown(true);
        afresh.setRawRange(kept.rawRange().first, kept.rawRange().second);
    }
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

std::string bytesOf(std::u16string_view text) { return verlo::text::codec::encode(text).bytes; }

// Random edits at any byte, checked against a fresh layout every few steps. With a
// starting text longer than 64 KB the first paragraph is a long one. With ruby shown, the
// edits also write and break groups, and the caret (the raw range) follows each edit.
void editAtRandom(const std::string& start, int steps, bool lineBreaks, bool ruby = false) {
    std::vector<std::string> pieces = {"a", " ", "\r", "\n", "\r\n", "word ", bytesOf(u"あ"), bytesOf(u"。"),
                                       bytesOf(u"「漢字」"), "12", bytesOf(u"ーっ")};
    if (ruby)
        for (const char16_t* piece : {u"《", u"》", u"｜", u"漢字《かんじ》", u"《《点》》", u"｜青い空《あおいそら》"})
            pieces.push_back(bytesOf(piece));
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
        doc.addListener(&listener);
        layout.setFont(ipaGothic(16), writing);
        layout.setWrapWidth(100);
        layout.setRubyShown(ruby);
        layout.lineCount();  // laid out, so that changes are followed one by one
        for (int step = 0; step < steps; ++step) {
            const std::size_t len = doc.length();
            const std::size_t pos = len ? rng() % (len + 1) : 0;  // any byte, even inside CR LF
            const std::size_t removed = pos < len && rng() % 3 == 0 ? std::min<std::size_t>(rng() % 6, len - pos) : 0;
            std::string inserted;
            for (unsigned k = rng() % 4; k > 0; --k) {
                const std::string& piece = pieces[rng() % pieces.size()];
                if (lineBreaks || piece.find_first_of("\r\n") == std::string::npos) inserted += piece;
            }
            doc.replace(pos, removed, inserted, EditKind::Edit);
            if (ruby && rng() % 2) layout.setRawRange(pos + inserted.size(), pos + inserted.size() + rng() % 40);
            if (step % 20 == 0) {
                layout.trimCache();
                ASSERT_NO_FATAL_FAILURE(expectSameLines(layout, doc, writing, 100)) << "step " << step;
            }
            if (step % 50 == 0) layout.line(rng() % layout.lineCount());
        }
        expectSameLines(layout, doc, writing, 100);
        doc.removeListener(&listener);
    }
}

}  // namespace

TEST(Layout, EditsKeepTheSameLinesAsAFreshLayout) { editAtRandom("", 400, true); }

TEST(Layout, EditsWithRubyShownKeepTheSameLinesAsAFreshLayout) { editAtRandom("", 400, true, true); }

TEST(Layout, EditsInALongParagraph) {
    std::string text;
    const std::string words[] = {verlo::text::codec::encode(u"吾輩は猫である。").bytes, "Latin words 12 ",
                                 verlo::text::codec::encode(u"「名前」はまだ無い、").bytes, "2026"};
    for (std::size_t i = 0; text.size() < 70 * 1024; ++i) text += words[i * 7 % 4];
    editAtRandom(text + "\r\n" + text.substr(0, 3000), 150, false);
}

namespace {

// The workers' wake-up, as an event loop would see it: the test waits for it, then collects.
struct Waker {
    std::mutex mutex;
    std::condition_variable cv;
    int wakes = 0;
    std::function<void()> wake() {
        return [this] {
            {
                std::lock_guard lock(mutex);
                ++wakes;
            }
            cv.notify_all();
        };
    }
    void wait() {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return wakes > 0; });
        wakes = 0;
    }
    void finish(Layout& layout) {
        while (!layout.exact()) {
            wait();
            layout.collect();
        }
    }
};

struct Background {
    Waker waker;  // outlives the layout, whose workers call it until they are joined
    Document doc;
    Layout layout{doc};
    struct Listener : verlo::text::DocumentListener {
        Layout* layout = nullptr;
        void documentChanged(const verlo::text::Change& c) override { layout->documentChanged(c); }
    } listener;
    Writing writing = Writing::Horizontal;
    float width = 160;

    explicit Background(const std::string& text, std::size_t fromBytes = 0, bool ruby = false) {
        doc.setText(text);
        listener.layout = &layout;
        doc.addListener(&listener);
        layout.runInBackground(waker.wake(), {2, fromBytes, 2048});  // small jobs
        layout.setRubyShown(ruby);
        layout.setFont(ipaGothic(16), writing);
        layout.setWrapWidth(width);
    }
    ~Background() { doc.removeListener(&listener); }

    // While the workers run, a position's line starts at or before it and the next line after it.
    void expectConsistentAt(std::size_t pos) {
        const std::size_t line = layout.lineFromChar(pos);
        ASSERT_LE(layout.lineStart(line), pos);
        const std::size_t next = layout.lineStart(line + 1);
        if (next != verlo::text::npos) {
            ASSERT_GT(next, pos);
        }
    }
    void expectExact() {
        waker.finish(layout);
        expectSameLines(layout, doc, writing, width);
    }
};

// A novel's text; with ruby, its groups are long enough to change where lines break.
std::string novelText(std::size_t bytes, bool ruby = false) {
    const std::string pieces[] = {bytesOf(u"吾輩は猫である。名前はまだ無い。"), "\r\n", "Latin words 12 ",
                                  bytesOf(ruby ? u"「何処《どこ》で｜生れたか《うまれたか》」とんと《《見当》》がつかぬ、"
                                               : u"「どこで生れたか」とんと見当がつかぬ、"),
                                  "\r\n\r\n", "2026"};
    std::string text;
    for (std::size_t i = 0; text.size() < bytes; ++i) text += pieces[i * 7 % std::size(pieces)];
    return text;
}

// Random resizes, turns, large changes and typing while the workers run; with ruby, the
// caret or a selection (the raw range) moves after each edit, often over paragraphs a
// worker holds.
void backgroundSequence(bool ruby) {
    std::string text = novelText(24 * 1024, ruby);
    std::string longOne;  // a paragraph the workers wrap piece by piece
    while (longOne.size() < 70 * 1024) longOne += bytesOf(u"長い段落の文、") + "word ";
    Background b(text + "\n" + longOne + "\r" + text, 0, ruby);
    std::mt19937 rng(16);
    for (int step = 1; step <= 120; ++step) {
        const std::size_t len = b.doc.length();
        switch (rng() % 8) {
            case 0:
                b.width = static_cast<float>(60 + rng() % 400);
                b.layout.setWrapWidth(b.width);
                break;
            case 1:
                b.writing = b.writing == Writing::Horizontal ? Writing::Vertical : Writing::Horizontal;
                b.layout.setFont(ipaGothic(16), b.writing);
                break;
            case 2:  // a large change, which goes to the workers
                b.doc.replace(rng() % len, rng() % 3000, novelText(rng() % 6000, ruby), EditKind::Edit);
                break;
            case 3:  // results put in, or taken from the workers and held (put in by the next collect)
                if (rng() % 2)
                    b.layout.receive();
                else
                    b.layout.collect();
                break;
            default: {  // typing, line breaks too, often before the paragraphs the workers have
                const std::size_t pos = rng() % (rng() % 2 ? len / 8 + 1 : len + 1);
                if (ruby) b.layout.collect();  // the workers free, to take the typed paragraph at once
                const char* breaks[] = {"\r\n", "\n", "\r"};
                const std::string typed = rng() % 4 == 0    ? breaks[rng() % 3]
                                          : ruby && rng() % 2 ? bytesOf(u"字《じ》")
                                                              : "ab";
                b.doc.replace(pos, rng() % 3 == 0 ? 2 : 0, typed, EditKind::Typing);
                if (ruby) b.layout.setRawRange(pos + typed.size(), pos + typed.size());  // the caret after it
            }
        }
        if (ruby && rng() % 2) {  // the caret onto a group, or a selection from one, often where the workers start
            const std::size_t from = rng() % (rng() % 2 ? b.doc.length() / 16 + 1 : b.doc.length() + 1);
            const std::size_t at = std::min(b.doc.text().find(bytesOf(u"《"), from), b.doc.length());
            b.layout.setRawRange(at, at + (rng() % 4 == 0 ? rng() % 20000 : 0));
        }
        ASSERT_NO_FATAL_FAILURE(b.expectConsistentAt(rng() % (b.doc.length() + 1))) << "step " << step;
        if (step % 30 == 0) {
            ASSERT_NO_FATAL_FAILURE(b.expectExact()) << "step " << step;
        }
    }
}

}  // namespace

TEST(Layout, BackgroundLayoutEqualsASynchronousOneAfterAnySequence) { backgroundSequence(false); }

TEST(Layout, BackgroundLayoutWithRubyEqualsASynchronousOne) { backgroundSequence(true); }

TEST(Layout, AStreamOfResizesLeavesNoStaleCount) {
    Background b(novelText(64 * 1024));
    for (int i = 0; i < 60; ++i) {
        b.width = static_cast<float>(100 + (i * 37) % 300);
        b.layout.setWrapWidth(b.width);
        b.layout.lineCount();  // the workers start on this width
        if (i % 3 == 0) b.layout.collect();
        if (i % 3 == 1) {  // results of this width held when the next comes
            b.waker.wait();
            b.layout.receive();
        }
    }
    b.expectExact();
}

TEST(Layout, AShortTextLaidOutAtOnceThenALargeChangeInTheBackground) {
    Background b(novelText(1000), 4096);
    b.writing = Writing::Vertical;
    b.layout.setFont(ipaGothic(16), b.writing);
    EXPECT_TRUE(b.layout.exact());
    b.doc.replace(500, 0, novelText(20000), EditKind::Edit);
    EXPECT_FALSE(b.layout.exact());
    b.expectExact();
}

TEST(Layout, ACaretMovedOntoAGroupAWorkerHoldsStaysAsWritten) {
    // The workers take the paragraph with its groups folded; the caret then lands on one,
    // which lays it out as written here, and the workers' count must not undo that.
    Background b(bytesOf(u"漢字《かんじ》漢字《かんじ》漢字《かんじ》\r\n") + novelText(8000, true), 0, true);
    b.layout.setRawRange(b.doc.length(), b.doc.length());
    b.layout.lineCount();
    b.layout.setRawRange(2, 2);
    b.expectExact();
}

TEST(Layout, ResultsWaitingForAChangedTextOfAsManyParagraphsAreDropped) {
    // Every paragraph rewritten, as many as before: what the workers wrapped of the old text
    // must not be taken for the new one.
    Background b(novelText(64 * 1024));
    b.layout.lineCount();  // the workers start
    {
        std::unique_lock lock(b.waker.mutex);
        b.waker.cv.wait(lock, [&] { return b.waker.wakes > 0; });  // results of the old text wait
    }
    std::string longer = b.doc.text();
    for (std::size_t at = 0; (at = longer.find("\r\n", at)) != std::string::npos; at += 2 + 40)
        longer.insert(at, std::string(40, 'x'));
    b.doc.replace(0, b.doc.length(), longer, EditKind::Edit);
    b.expectExact();
}

TEST(Layout, ATextLoadedPieceByPieceWhileTheWorkersRun) {
    // Pieces cut inside paragraphs: the last paragraph a worker may hold grows with the next.
    const std::string text = novelText(96 * 1024);
    for (std::size_t step : {999, 4096}) {
        Background b("");
        std::size_t at = 0;
        b.doc.startLoading([&](verlo::text::StandIns&) {
            const std::string_view piece = std::string_view(text).substr(std::min(at, text.size()), step);
            at += step;
            return piece;
        });
        b.layout.lineCount();  // the workers start on the first piece
        for (int turn = 0; b.doc.loadMore(step * (1 + turn % 3)); ++turn) {
            if (turn % 2) b.layout.collect();
            ASSERT_NO_FATAL_FAILURE(b.expectConsistentAt(b.doc.length() / 2));
        }
        b.expectExact();
    }
}
