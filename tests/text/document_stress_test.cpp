// A seeded random run of edits, undos, redos, groups and not-undoable replacements,
// checked after every step against a naive model: the text, every line start, positions
// to lines, caret positions, undo/redo availability, the modified flag, and that every
// change notification describes the lines it touched.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "text/cp932.h"
#include "text/document.h"

using namespace verlo::text;

namespace {

std::vector<std::size_t> naiveLineStarts(const std::string& s) {
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\n' || (s[i] == '\r' && (i + 1 == s.size() || s[i + 1] != '\n'))) starts.push_back(i + 1);
    }
    return starts;
}

// Caret positions: character starts (parsed from the beginning) that are not between CR
// and LF, and the end.
std::vector<bool> naiveCaretPositions(const std::string& s) {
    std::vector<bool> ok(s.size() + 1, false);
    for (std::size_t i = 0; i < s.size(); i += cp932::charLength(s, i)) ok[i] = !(i > 0 && s[i] == '\n' && s[i - 1] == '\r');
    ok[s.size()] = true;
    return ok;
}

// Checks each notification against the text before and after it.
class CheckingListener : public DocumentListener {
public:
    explicit CheckingListener(const Document& doc) : doc_(doc) { sync(); }
    void sync() {
        text_ = doc_.text();
        starts_ = naiveLineStarts(text_);
    }
    int changes = 0;

    void documentChanged(const Change& c) override {
        ++changes;
        const std::string text = doc_.text();
        const auto starts = naiveLineStarts(text);
        // The bytes outside the change are as before.
        ASSERT_LE(c.pos + c.removed, text_.size());
        ASSERT_EQ(text.size(), text_.size() - c.removed + c.inserted);
        ASSERT_EQ(text.compare(0, c.pos, text_, 0, c.pos), 0);
        ASSERT_EQ(text.compare(c.pos + c.inserted, std::string::npos, text_, c.pos + c.removed, std::string::npos), 0);
        // The lines: untouched before firstLine, replaced in between, moved after.
        ASSERT_EQ(starts.size(), starts_.size() - c.linesRemoved + c.linesAdded);
        ASSERT_LT(c.firstLine + c.linesRemoved, starts_.size());
        for (std::size_t i = 0; i <= c.firstLine; ++i) ASSERT_EQ(starts[i], starts_[i]) << "line " << i;
        for (std::size_t i = c.firstLine + c.linesRemoved + 1; i < starts_.size(); ++i)
            ASSERT_EQ(starts[i - c.linesRemoved + c.linesAdded], starts_[i] + c.inserted - c.removed) << "line " << i;
        // Only lines that start inside the change are reported.
        for (std::size_t i = c.firstLine + 1; i <= c.firstLine + c.linesRemoved; ++i) {
            ASSERT_GE(starts_[i], c.pos);
            ASSERT_LE(starts_[i], c.pos + c.removed);
        }
        for (std::size_t i = c.firstLine + 1; i <= c.firstLine + c.linesAdded; ++i) {
            ASSERT_GE(starts[i], c.pos);
            ASSERT_LE(starts[i], c.pos + c.inserted);
        }
        text_ = text;
        starts_ = starts;
    }

private:
    const Document& doc_;
    std::string text_;
    std::vector<std::size_t> starts_;
};

// The undo history as the rules in undo_history.h state them, with whole texts as steps.
struct Model {
    static constexpr std::size_t kUnreachable = static_cast<std::size_t>(-1);
    std::string text;
    std::vector<std::string> states{""};  // states[i]: the text after i steps
    std::size_t current = 0;
    std::size_t savePoint = 0;
    bool runOpen = false;
    std::size_t runEnd = 0;
    int groupDepth = 0;
    bool groupStepOpen = false;

    bool modified() const { return savePoint != current; }

    void newStep() {
        states.resize(current + 1);
        if (savePoint != kUnreachable && savePoint > current) savePoint = kUnreachable;
        states.push_back(text);
        ++current;
    }
    void replace(std::size_t pos, std::size_t len, const std::string& bytes, EditKind kind) {
        pos = std::min(pos, text.size());
        len = std::min(len, text.size() - pos);
        if (len == 0 && bytes.empty()) {
            if (kind == EditKind::NotUndoable) emptyUndo();
            return;
        }
        text.replace(pos, len, bytes);
        if (kind == EditKind::NotUndoable) {
            states = {text};
            current = 0;
            savePoint = kUnreachable;
            runOpen = groupStepOpen = false;
            return;
        }
        if (groupDepth > 0) {
            if (groupStepOpen) states[current] = text;
            else newStep();
            groupStepOpen = true;
            return;
        }
        const bool lineBreak = bytes.find_first_of("\r\n") != std::string::npos;
        if (kind == EditKind::Typing && runOpen && len == 0 && pos == runEnd) {
            states[current] = text;
        } else {
            newStep();
        }
        runOpen = kind == EditKind::Typing && !lineBreak;
        runEnd = pos + bytes.size();
    }
    void undo() {
        runOpen = groupStepOpen = false;
        if (current > 0) text = states[--current];
    }
    void redo() {
        runOpen = groupStepOpen = false;
        if (current + 1 < states.size()) text = states[++current];
    }
    void emptyUndo() {
        const bool saved = !modified();
        states = {text};
        current = 0;
        savePoint = saved ? 0 : kUnreachable;
        runOpen = groupStepOpen = false;
    }
    void setModified(bool m) {
        runOpen = groupStepOpen = false;
        savePoint = m ? kUnreachable : current;
    }
    void beginGroup() {
        if (groupDepth++ == 0) runOpen = groupStepOpen = false;
    }
    void endGroup() {
        if (groupDepth > 0 && --groupDepth == 0) runOpen = groupStepOpen = false;
    }
};

std::string randomBytes(std::mt19937& rng, std::size_t n) {
    static const char pool[] = {'a', 'B', ' ', '\r', '\n', '\\', 'x', '\x82', '\xA0', '\x88', '\x95', '\x5C',
                                '\x9F', '\x40', '\xB1', '\xE0', '\xFC', '\x7F', '\x81', '\x60'};
    std::string s(n, '\0');
    for (char& c : s) c = pool[rng() % sizeof pool];
    return s;
}

void runStress(StorageShape shape) {
    std::mt19937 rng(20240601);
    Document doc(shape);
    Model model;
    CheckingListener listener(doc);
    doc.addListener(&listener);

    const int kSteps = 20000;
    for (int step = 0; step < kSteps; ++step) {
        const std::size_t n = model.text.size();
        const unsigned op = rng() % 100;
        const std::size_t pos = rng() % (n + 1);
        if (op < 40) {
            // Typing: mostly right after the previous typed character.
            std::size_t at = (rng() % 4 != 0 && model.runOpen) ? model.runEnd : pos;
            std::string typed = rng() % 10 == 0 ? std::string("\r\n") : randomBytes(rng, 1 + rng() % 2);
            const std::size_t over = rng() % 8 == 0 ? rng() % 3 : 0;  // sometimes over a selection
            doc.replace(at, over, typed, EditKind::Typing);
            model.replace(at, over, typed, EditKind::Typing);
        } else if (op < 55) {
            // Delete (or cut), more when the text is long.
            const std::size_t len = rng() % (n > 2500 ? 300 : 6);
            doc.replace(pos, len, "", EditKind::Edit);
            model.replace(pos, len, "", EditKind::Edit);
        } else if (op < 62) {
            const std::string pasted = randomBytes(rng, rng() % 120);
            const std::size_t len = rng() % 3;
            doc.replace(pos, len, pasted, EditKind::Edit);
            model.replace(pos, len, pasted, EditKind::Edit);
        } else if (op < 74) {
            doc.undo();
            model.undo();
        } else if (op < 82) {
            doc.redo();
            model.redo();
        } else if (op < 84) {
            const std::string bytes = randomBytes(rng, rng() % 8);
            const std::size_t len = rng() % 4;
            doc.replace(pos, len, bytes, EditKind::NotUndoable);
            model.replace(pos, len, bytes, EditKind::NotUndoable);
        } else if (op < 87) {
            doc.breakTyping();
            model.runOpen = false;
        } else if (op < 90) {
            doc.setModified(false);
            model.setModified(false);
        } else if (op < 91) {
            doc.setModified(true);
            model.setModified(true);
        } else if (op < 92) {
            doc.emptyUndo();
            model.emptyUndo();
        } else if (op < 96) {
            // A group of a few changes (nested now and then).
            doc.beginGroup();
            model.beginGroup();
            const bool nested = rng() % 3 == 0;
            if (nested) {
                doc.beginGroup();
                model.beginGroup();
            }
            for (int k = 0, count = static_cast<int>(rng() % 4); k < count; ++k) {
                const std::size_t at = rng() % (model.text.size() + 1);
                const std::string bytes = randomBytes(rng, rng() % 4);
                const std::size_t len = rng() % 3;
                const EditKind kind = rng() % 2 ? EditKind::Typing : EditKind::Edit;
                doc.replace(at, len, bytes, kind);
                model.replace(at, len, bytes, kind);
            }
            if (nested) {
                doc.endGroup();
                model.endGroup();
            }
            doc.endGroup();
            model.endGroup();
        } else if (op < 97 && n < 64) {
            const std::string bytes = randomBytes(rng, rng() % 600);
            doc.setText(bytes);
            model.replace(0, model.text.size(), bytes, EditKind::NotUndoable);
        } else {
            // Occasional unsaved text loaded as a file would be.
            if (rng() % 40 == 0) {
                const std::string bytes = randomBytes(rng, rng() % 2000);
                doc.setText(bytes);
                doc.setModified(false);
                model.replace(0, model.text.size(), bytes, EditKind::NotUndoable);
                model.setModified(false);
            }
        }
        ASSERT_FALSE(testing::Test::HasFatalFailure()) << "step " << step;

        // The text and the history.
        ASSERT_EQ(doc.length(), model.text.size()) << "step " << step;
        ASSERT_EQ(doc.text(), model.text) << "step " << step;
        ASSERT_EQ(doc.modified(), model.modified()) << "step " << step;
        ASSERT_EQ(doc.canUndo(), model.current > 0) << "step " << step;
        ASSERT_EQ(doc.canRedo(), model.current + 1 < model.states.size()) << "step " << step;

        // Views of any range read the text, and an earlier one stays valid beside a later one.
        {
            const std::size_t size = model.text.size();
            const std::size_t p1 = rng() % (size + 1), n1 = rng() % (size - p1 + 1);
            const std::size_t p2 = rng() % (size + 1), n2 = rng() % (size - p2 + 1);
            const std::string_view v1 = doc.view(p1, n1), v2 = doc.view(p2, n2);
            ASSERT_EQ(v1, std::string_view(model.text).substr(p1, n1)) << "step " << step;
            ASSERT_EQ(v2, std::string_view(model.text).substr(p2, n2)) << "step " << step;
        }

        // Every line start, and positions to lines.
        const auto starts = naiveLineStarts(model.text);
        ASSERT_EQ(doc.lineCount(), starts.size()) << "step " << step;
        for (std::size_t i = 0; i < starts.size(); ++i) ASSERT_EQ(doc.lineStart(i), starts[i]) << "step " << step;
        for (int k = 0; k < 4; ++k) {
            const std::size_t p = rng() % (model.text.size() + 1);
            const std::size_t line = std::upper_bound(starts.begin(), starts.end(), p) - starts.begin() - 1;
            ASSERT_EQ(doc.lineOfPos(p), line) << "step " << step << " pos " << p;
        }

        // Caret rules at a few positions.
        const auto caretOk = naiveCaretPositions(model.text);
        for (int k = 0; k < 3; ++k) {
            const std::size_t p = rng() % (model.text.size() + 1);
            std::size_t snapped = p;
            while (!caretOk[snapped]) --snapped;
            ASSERT_EQ(doc.snapCaretPos(p), snapped) << "step " << step << " pos " << p;
            std::size_t next = snapped;
            if (next < model.text.size())
                do ++next;
                while (!caretOk[next]);
            ASSERT_EQ(doc.nextCaretPos(p), next) << "step " << step << " pos " << p;
            std::size_t prev = snapped;
            if (prev > 0)
                do --prev;
                while (!caretOk[prev]);
            ASSERT_EQ(doc.prevCaretPos(p), prev) << "step " << step << " pos " << p;
        }
    }
    EXPECT_GT(listener.changes, kSteps / 2);
}

}  // namespace

TEST(DocumentStress, RandomEditsMatchANaiveModel) { runStress(StorageShape{}); }

// The same run with tiny blocks, so that the texts cross many block joins: changes and
// searches over joins, blocks split, merged and emptied, line starts in many blocks.
TEST(DocumentStress, RandomEditsMatchANaiveModelInTinyBlocks) {
    runStress(StorageShape{.blockBytes = 16, .blockLines = 4});
    if (HasFatalFailure()) return;
    runStress(StorageShape{.blockBytes = 3, .blockLines = 2});
}
