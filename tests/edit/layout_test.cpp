// The laid-out lines kept up to date by single-paragraph re-wrapping must equal a layout
// made afresh, whatever the edits do to line breaks (lone CR, lone LF, CR LF split and joined);
// so must a layout made in the background, once its workers are done, and while they are
// not its answers agree with each other.
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
    void finish(Layout& layout) {
        while (!layout.exact()) {
            {
                std::unique_lock lock(mutex);
                cv.wait(lock, [&] { return wakes > 0; });
                wakes = 0;
            }
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

    explicit Background(const std::string& text, std::size_t fromBytes = 0) {
        doc.setText(text);
        listener.layout = &layout;
        doc.setListener(&listener);
        layout.runInBackground(waker.wake(), {2, fromBytes, 2048});  // small jobs
        layout.setFont(ipaGothic(16), writing);
        layout.setWrapWidth(width);
    }
    ~Background() { doc.setListener(nullptr); }

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

std::string novelText(std::size_t bytes) {
    const std::string pieces[] = {verlo::text::codec::encode(u"吾輩は猫である。名前はまだ無い。").bytes, "\r\n",
                                  "Latin words 12 ", verlo::text::codec::encode(u"「どこで生れたか」とんと見当がつかぬ、").bytes,
                                  "\r\n\r\n", "2026"};
    std::string text;
    for (std::size_t i = 0; text.size() < bytes; ++i) text += pieces[i * 7 % std::size(pieces)];
    return text;
}

}  // namespace

TEST(Layout, BackgroundLayoutEqualsASynchronousOneAfterAnySequence) {
    std::string text = novelText(24 * 1024);
    std::string longOne;  // a paragraph the workers wrap piece by piece
    while (longOne.size() < 70 * 1024) longOne += verlo::text::codec::encode(u"長い段落の文、").bytes + "word ";
    Background b(text + "\r\n" + longOne + "\r\n" + text);
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
                b.doc.replace(rng() % len, rng() % 3000, novelText(rng() % 6000), EditKind::Edit);
                break;
            case 3:
                b.layout.collect();
                break;
            default: {  // typing, line breaks too, often before the paragraphs the workers have
                const std::size_t pos = rng() % (rng() % 2 ? len / 8 + 1 : len + 1);
                b.doc.replace(pos, rng() % 3 == 0 ? 2 : 0, rng() % 4 == 0 ? "\r\n" : "ab", EditKind::Typing);
            }
        }
        ASSERT_NO_FATAL_FAILURE(b.expectConsistentAt(rng() % (b.doc.length() + 1))) << "step " << step;
        if (step % 30 == 0) {
            ASSERT_NO_FATAL_FAILURE(b.expectExact()) << "step " << step;
        }
    }
}

TEST(Layout, AStreamOfResizesLeavesNoStaleCount) {
    Background b(novelText(64 * 1024));
    for (int i = 0; i < 60; ++i) {
        b.width = static_cast<float>(100 + (i * 37) % 300);
        b.layout.setWrapWidth(b.width);
        b.layout.lineCount();  // the workers start on this width
        if (i % 3 == 0) b.layout.collect();
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
