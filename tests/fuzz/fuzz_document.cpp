// The document against a plain string with the undo rules written out again: every change,
// undo and redo, typing runs, groups (with the typing broken and the save point set inside
// them), the modified flag, the hard lines, the caret rules and the lone-lead-byte rule,
// on storage of tiny blocks so that every change crosses block joins.
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "text/cp932.h"
#include "text/document.h"

using namespace verlo::text;

namespace {

struct Input {
    const std::uint8_t* p;
    std::size_t n;
    bool empty() const { return n == 0; }
    std::uint8_t byte() {
        if (n == 0) return 0;
        --n;
        return *p++;
    }
};

// The undo history as states of the text: states[i] is the text after i steps.
struct Model {
    std::string text;
    std::vector<std::string> states{""};
    std::size_t current = 0;
    long savePoint = 0;  // -1: unreachable
    enum class Open { None, Typing, Group } open = Open::None;
    std::size_t typingEnd = 0;  // where the open typing run's text ends
    int depth = 0;

    void newStep() {
        states.resize(current + 1);
        if (savePoint > static_cast<long>(current)) savePoint = -1;
        states.push_back(text);
        ++current;
    }
    void change(std::size_t pos, std::size_t len, const std::string& bytes, EditKind kind) {
        const std::string before = text;
        text.replace(pos, len, bytes);
        if (len == 0 && bytes.empty()) {
            text = before;
            if (kind == EditKind::NotUndoable) empty();
            return;
        }
        if (kind == EditKind::NotUndoable) {
            states = {text};
            current = 0;
            savePoint = -1;
            open = Open::None;
            return;
        }
        const bool breaks = bytes.find_first_of("\r\n") != std::string::npos;
        if (depth > 0) {
            if (open == Open::Group) {
                if (savePoint == static_cast<long>(current)) savePoint = -1;
                states[current] = text;
            } else {
                newStep();
                open = Open::Group;
            }
            return;
        }
        if (kind == EditKind::Typing && open == Open::Typing && len == 0 && pos == typingEnd) {
            states[current] = text;
        } else {
            newStep();
            open = kind == EditKind::Typing ? Open::Typing : Open::None;
        }
        typingEnd = pos + bytes.size();
        if (kind != EditKind::Typing || breaks) open = Open::None;
    }
    void empty() {
        const bool saved = savePoint == static_cast<long>(current);
        states = {text};
        current = 0;
        savePoint = saved ? 0 : -1;
        open = Open::None;
    }
    bool modified() const { return savePoint != static_cast<long>(current); }
};

std::vector<std::size_t> boundaries(const std::string& s) {
    std::vector<std::size_t> out;
    for (std::size_t p = 0; p <= s.size(); p += p < s.size() ? cp932::charLength(s, p) : 1) out.push_back(p);
    return out;
}

bool isBoundary(const std::string& s, std::size_t pos) {
    const auto b = boundaries(s);
    return std::binary_search(b.begin(), b.end(), pos);
}

void checkLines(const Document& doc, const std::string& text) {
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) starts.push_back(i + 1);
    FUZZ_CHECK(doc.lineCount() == starts.size());
    for (std::size_t l = 0; l < starts.size(); ++l) FUZZ_CHECK(doc.lineStart(l) == starts[l]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in{data, size};
    Document doc(StorageShape{4, 2});
    Model m;
    static const char* const kPieces[] = {"a", "\r", "\n", "\r\n", "\x82", "\x82\xA0", "x", "\xB1", " ", "\x81\x5C"};
    while (!in.empty()) {
        const std::uint8_t op = in.byte() % 12;
        const auto boundariesNow = boundaries(m.text);
        const std::size_t pos = boundariesNow[in.byte() % boundariesNow.size()];
        std::size_t end = boundariesNow[in.byte() % boundariesNow.size()];
        if (end < pos) end = pos;
        std::string bytes;
        for (std::uint8_t k = in.byte() % 4; k > 0; --k) bytes += kPieces[in.byte() % std::size(kPieces)];
        switch (op) {
        case 0:
        case 1:
        case 2: {
            const EditKind kind = op == 0 ? EditKind::Typing : op == 1 ? EditKind::Edit : EditKind::NotUndoable;
            // The lone-lead rule against its meaning: a change pairs a lone lead byte with a
            // neighbour exactly when the change's edges stop being character boundaries.
            std::string after = m.text;
            after.replace(pos, end - pos, bytes);
            const bool joins = !isBoundary(after, pos) || !isBoundary(after, pos + bytes.size());
            FUZZ_CHECK(doc.joinsLoneLead(pos, end - pos, bytes) == joins);
            doc.replace(pos, end - pos, bytes, kind);
            m.change(pos, end - pos, bytes, kind);
            break;
        }
        case 3: {
            const Range r = doc.undo();
            (void)r;
            m.open = Model::Open::None;
            if (m.current > 0) m.text = m.states[--m.current];
            break;
        }
        case 4:
            doc.redo();
            m.open = Model::Open::None;
            if (m.current + 1 < m.states.size()) m.text = m.states[++m.current];
            break;
        case 5:
            doc.breakTyping();
            if (m.open == Model::Open::Typing) m.open = Model::Open::None;
            break;
        case 6:
            doc.beginGroup();
            if (m.depth++ == 0) m.open = Model::Open::None;
            break;
        case 7:
            doc.endGroup();
            if (m.depth > 0 && --m.depth == 0) m.open = Model::Open::None;
            break;
        case 8:
        case 9: {
            const bool modified = op == 9;
            doc.setModified(modified);
            if (m.open == Model::Open::Typing) m.open = Model::Open::None;
            m.savePoint = modified ? -1 : static_cast<long>(m.current);
            break;
        }
        case 10:
            doc.emptyUndo();
            m.empty();
            break;
        default:
            FUZZ_CHECK(doc.snapCaretPos(pos) <= pos);
            FUZZ_CHECK(doc.nextCaretPos(pos) >= std::min(pos + 1, doc.length()));
            break;
        }
        FUZZ_CHECK(doc.text() == m.text);
        FUZZ_CHECK(doc.modified() == m.modified());
        FUZZ_CHECK(doc.canUndo() == (m.current > 0));
        FUZZ_CHECK(doc.canRedo() == (m.current + 1 < m.states.size()));
    }
    checkLines(doc, m.text);
    return 0;
}
