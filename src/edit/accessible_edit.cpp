#include "edit/accessible_edit.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <algorithm>

#include "edit/edit_control_impl.h"
#include "edit/selection.h"
#include "text/codec.h"

namespace verlo::edit {

namespace {

// Changes of more bytes than this (opening a file, replacing everything) are not spelt out
// in events: a reader asks for the text it wants.
constexpr std::size_t kEventTextLimit = std::size_t{1} << 20;
// How far a sentence is looked for on each side of an offset, bytes.
constexpr std::size_t kSentenceReach = 16384;

AccessEventSink g_sink = nullptr;

bool listening() { return g_sink || QAccessible::isActive(); }

QString toQString(const std::u16string& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }

bool endsSentence(char32_t c) {
    return c == U'。' || c == U'．' || c == U'！' || c == U'？' || c == U'!' || c == U'?' || c == U'.';
}

// What may follow the end of a sentence and still belong to it: closing brackets and
// quotes, more end marks, blanks, the line break.
bool trailsSentence(char32_t c) {
    return endsSentence(c) || c == U'」' || c == U'』' || c == U'）' || c == U')' || c == U'］' || c == U']' ||
           c == U'】' || c == U'〕' || c == U'”' || c == U'’' || c == U' ' || c == U'\u3000' || c == U'\t' ||
           c == U'\r' || c == U'\n';
}

// The sentence holding pos: it ends after its end marks and what trails them; the last one
// of a paragraph takes the line break along.
void sentenceAround(text::Document& doc, std::size_t pos, std::size_t* from, std::size_t* to) {
    const std::size_t paragraph = doc.lineOfPos(pos);
    const std::size_t start = doc.lineStart(paragraph);
    const std::size_t next = doc.lineStart(paragraph + 1);
    const std::size_t end = next == text::npos ? doc.length() : next;
    const std::size_t a = doc.snapCaretPos(pos - std::min(pos - start, kSentenceReach));
    const std::size_t b = std::min(end, doc.snapCaretPos(pos + kSentenceReach));
    const std::string_view s = doc.view(a, b - a);
    std::size_t sentence = a;
    *to = b;
    bool ended = false;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = 0;
        const char32_t c = text::codec::decodeChar(s, i, &n);
        if (ended && !trailsSentence(c)) {  // a sentence starts here
            if (a + i > pos) {
                *to = a + i;
                break;
            }
            sentence = a + i;
            ended = false;
        }
        ended = ended || endsSentence(c);
        i += n;
    }
    *from = sentence;
}

}  // namespace

// ---------------------------------------------------------------- the control's side

void setAccessEventSink(AccessEventSink sink) { g_sink = sink; }

EditAccess::EditAccess(EditControl::Impl& d) : d_(d), offsets_(d.doc) {}

void EditAccess::send(QAccessibleEvent& event) {
    if (g_sink) g_sink(&event);
    else QAccessible::updateAccessibility(&event);
}

void EditAccess::willChange(std::size_t pos, std::size_t len) {
    pending_ = false;
    if (!listening()) return;
    offsets_.changeSpan(pos, len, &spanFrom_, &spanTo_);
    spanOffset_ = offsets_.offsetOf(spanFrom_);  // counts the text the first time
    if (spanTo_ - spanFrom_ > kEventTextLimit) return;
    spanText_ = text::readerText(d_.doc.slice(spanFrom_, spanTo_ - spanFrom_));
    pending_ = true;
}

void EditAccess::changed(const text::Change& change) {
    offsets_.documentChanged(change);
    if (!pending_) return;
    pending_ = false;
    const std::size_t to = spanTo_ + change.inserted - change.removed;
    if (to - spanFrom_ > kEventTextLimit) return;
    const std::u16string now = text::readerText(d_.doc.slice(spanFrom_, to - spanFrom_));
    // Only what differs: typing one character tells of that character.
    const std::u16string& old = spanText_;
    std::size_t head = 0;
    while (head < old.size() && head < now.size() && old[head] == now[head]) ++head;
    std::size_t tail = 0;
    while (tail < old.size() - head && tail < now.size() - head && old[old.size() - 1 - tail] == now[now.size() - 1 - tail])
        ++tail;
    const int at = static_cast<int>(spanOffset_ + head);
    if (old.size() > head + tail) {
        QAccessibleTextRemoveEvent removed(d_.q, at, toQString(old.substr(head, old.size() - head - tail)));
        send(removed);
    }
    if (now.size() > head + tail) {
        QAccessibleTextInsertEvent inserted(d_.q, at, toQString(now.substr(head, now.size() - head - tail)));
        send(inserted);
    }
    spanText_.clear();
}

void EditAccess::caretMoved() {
    if (!listening()) return;
    const auto caret = static_cast<long long>(offsets_.offsetOf(d_.sel.caret()));
    long long start = caret;
    long long end = caret;
    if (!d_.sel.empty()) {
        start = static_cast<long long>(offsets_.offsetOf(d_.sel.start()));
        end = static_cast<long long>(offsets_.offsetOf(d_.sel.end()));
    }
    if ((start != selStart_ || end != selEnd_) && (start != end || selStart_ != selEnd_)) {
        QAccessibleTextSelectionEvent event(d_.q, static_cast<int>(start), static_cast<int>(end));
        event.setCursorPosition(static_cast<int>(caret));
        send(event);
    }
    if (caret != caret_) {
        QAccessibleTextCursorEvent event(d_.q, static_cast<int>(caret));
        send(event);
    }
    caret_ = caret;
    selStart_ = start;
    selEnd_ = end;
}

// ---------------------------------------------------------------- geometry for readers

QRectF EditControl::Impl::charBox(std::size_t pos) {
    syncGeometry();
    pos = doc.snapCaretPos(pos);
    const std::size_t index = layout.lineFromChar(pos);
    const Layout::Line line = layout.line(index);
    const double rel = static_cast<double>(index) - static_cast<double>(firstLine());
    const double u0 = line.inlineOf(pos);
    double u1 = u0;
    if (pos < line.endPos()) u1 = line.inlineOf(doc.nextCaretPos(pos));
    else if (pos < doc.length()) u1 = u0 + geo.pitch / 3.0;  // a line break, as the selection shows it
    return geo.box(rel, u0, u1);
}

// ---------------------------------------------------------------- the interface

class AccessibleEdit : public QAccessibleWidget,
                       public QAccessibleTextInterface,
                       public QAccessibleEditableTextInterface {
public:
    explicit AccessibleEdit(EditControl* control) : QAccessibleWidget(control, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface) return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = true;
        s.multiLine = true;
        s.selectableText = true;
        return s;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            const QString name = QAccessibleWidget::text(t);
            return name.isEmpty() ? QStringLiteral("本文") : name;
        }
        if (t == QAccessible::Value) return QString();  // the text interface gives the text, piece by piece
        return QAccessibleWidget::text(t);
    }

    // ---- selection and caret
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index != 0 || d().sel.empty()) return;
        *start = offsetOf(d().sel.start());
        *end = offsetOf(d().sel.end());
    }
    int selectionCount() const override { return d().sel.empty() ? 0 : 1; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index == 0) control()->setSelection(d().sel.caret(), d().sel.caret());
    }
    void setSelection(int index, int start, int end) override {
        if (index == 0) control()->setSelection(posOf(start), posOf(end));
    }
    int cursorPosition() const override { return offsetOf(d().sel.caret()); }
    void setCursorPosition(int position) override {
        const std::size_t pos = posOf(position);
        control()->setSelection(pos, pos);
    }

    // ---- text
    QString text(int start, int end) const override {
        const std::size_t from = posOf(start);
        const std::size_t to = end < 0 ? d().doc.length() : posOf(end);
        if (to <= from) return QString();
        return toQString(text::readerText(d().doc.slice(from, to - from)));
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
        std::size_t from = 0;
        std::size_t to = 0;
        unitAround(posOf(offset), type, &from, &to);
        if (from == 0 || type == QAccessible::NoBoundary) return textOf(0, 0, start, end);
        unitAround(d().doc.prevCaretPos(from), type, &from, &to);
        return textOf(from, to, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
        std::size_t from = 0;
        std::size_t to = 0;
        const std::size_t length = d().doc.length();
        unitAround(posOf(offset), type, &from, &to);
        if (to >= length || type == QAccessible::NoBoundary) return textOf(length, length, start, end);
        unitAround(to, type, &from, &to);
        return textOf(from, to, start, end);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
        std::size_t from = 0;
        std::size_t to = 0;
        unitAround(posOf(offset), type, &from, &to);
        return textOf(from, to, start, end);
    }
    int characterCount() const override { return static_cast<int>(offsets().count()); }

    // ---- geometry (screen coordinates)
    QRect characterRect(int offset) const override {
        const QRectF box = d().charBox(posOf(offset));
        const QPoint topLeft = control()->viewport()->mapToGlobal(box.topLeft().toPoint());
        return QRect(topLeft, box.size().toSize());
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint p = control()->viewport()->mapFromGlobal(point);
        if (!control()->viewport()->rect().contains(p)) return -1;
        float u = 0;
        const Layout::Line line = d().lineAt(p, &u);
        return offsetOf(line.charAt(u));
    }
    void scrollToSubstring(int start, int) override {
        d().syncGeometry();
        d().scrollToLine(d().layout.lineFromChar(posOf(start)));
    }
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        const QFont& font = d().font;
        QString size = font.pointSizeF() > 0 ? QString::number(font.pointSizeF()) + QStringLiteral("pt")
                                             : QString::number(font.pixelSize()) + QStringLiteral("px");
        return QStringLiteral("font-family:\"%1\";font-size:%2;writing-mode:%3;")
            .arg(font.family(), size, d().vertical ? QStringLiteral("tb-rl") : QStringLiteral("lr-tb"));
    }

    // ---- editing, as one undoable step each
    void deleteText(int start, int end) override { replaceText(start, end, QString()); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override {
        const std::size_t from = posOf(start);
        const std::size_t to = std::max(from, posOf(end));
        std::string bytes;
        if (!text.isEmpty() && !d().encode(text, &bytes)) return;  // refused: the control says which characters
        if (bytes.empty() && to == from) return;
        d().doc.breakTyping();
        d().replace(from, to - from, text::toCrLf(bytes), text::EditKind::Edit);
        d().doc.breakTyping();
    }

private:
    EditControl* control() const { return static_cast<EditControl*>(widget()); }
    EditControl::Impl& d() const { return *control()->d; }
    text::UnicodeOffsets& offsets() const { return d().access.offsets(); }
    std::size_t posOf(int offset) const { return offsets().posOf(static_cast<std::size_t>(std::max(0, offset))); }
    int offsetOf(std::size_t pos) const { return static_cast<int>(offsets().offsetOf(pos)); }

    QString textOf(std::size_t from, std::size_t to, int* start, int* end) const {
        const std::u16string s = text::readerText(d().doc.slice(from, to - from));
        *start = offsetOf(from);
        *end = *start + static_cast<int>(s.size());
        return toQString(s);
    }

    // The unit of the given kind holding the character at pos, [*from, *to) in bytes.
    void unitAround(std::size_t pos, QAccessible::TextBoundaryType type, std::size_t* from, std::size_t* to) const {
        text::Document& doc = d().doc;
        const std::size_t length = doc.length();
        switch (type) {
        case QAccessible::CharBoundary:
            *from = pos;
            *to = doc.nextCaretPos(pos);
            break;
        case QAccessible::WordBoundary:
            // A line break is a word of its own; at the end of the text, the last word.
            if (pos < length && pos == doc.lineEnd(doc.lineOfPos(pos))) {
                *from = pos;
                *to = doc.nextCaretPos(pos);
            } else {
                wordAround(doc, pos, from, to);
            }
            break;
        case QAccessible::SentenceBoundary: sentenceAround(doc, pos, from, to); break;
        case QAccessible::LineBoundary: {  // a laid-out line, with the break that ends it
            const std::size_t line = control()->lineFromChar(pos);
            const std::size_t next = control()->lineIndex(line + 1);
            *from = control()->lineIndex(line);
            *to = next == text::npos ? length : next;
            break;
        }
        case QAccessible::ParagraphBoundary: {  // a hard line, with its break
            const std::size_t paragraph = doc.lineOfPos(pos);
            const std::size_t next = doc.lineStart(paragraph + 1);
            *from = doc.lineStart(paragraph);
            *to = next == text::npos ? length : next;
            break;
        }
        case QAccessible::NoBoundary:
            *from = 0;
            *to = length;
            break;
        }
    }
};

namespace {

QAccessibleInterface* makeAccessibleEdit(const QString& className, QObject* object) {
    if (className == QLatin1String(EditControl::staticMetaObject.className()) && object && object->isWidgetType())
        return new AccessibleEdit(static_cast<EditControl*>(object));
    return nullptr;
}

}  // namespace

void installAccessibleEditFactory() { QAccessible::installFactory(makeAccessibleEdit); }

}  // namespace verlo::edit
