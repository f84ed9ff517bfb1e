// The edit control: its contract (selection, text, lines, find, undo, modified flag,
// direction, colours, font), the document listener, and the view's geometry and scrolling.
// Painting is in edit_control_paint.cpp, keys, mouse, input method and clipboard in
// edit_control_input.cpp, the caret rules in selection.cpp.
#include "edit/edit_control.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <algorithm>
#include <climits>

#include "edit/edit_control_impl.h"
#include "text/codec.h"
#include "text/cp932.h"

namespace verlo::edit {

namespace {

// What the window-fitting commands add to the characters' extent, once: the scroll bar
// across the inline axis and the margins along it take exactly this much, so that a
// client of advance * n + 25 pixels holds exactly n full-width characters per line.
constexpr int kFitOverhead = 25;

}  // namespace

// ---------------------------------------------------------------- geometry

int ViewGeometry::linesPerPage() const { return std::max(1, (blockExtent() - blockStart) / std::max(1, pitch)); }

QRectF ViewGeometry::box(double rel, double u0, double u1) const {
    if (!vertical) return QRectF(inlineStart + u0, blockStart + rel * pitch, u1 - u0, pitch);
    const double right = width - blockStart - rel * pitch;
    return QRectF(right - pitch, inlineStart + u0, pitch, u1 - u0);
}

QPointF ViewGeometry::origin(double rel, double u) const {
    if (!vertical) return QPointF(inlineStart + u, blockStart + rel * pitch) + textShift;
    return QPointF(width - blockStart - rel * pitch, inlineStart + u) + textShift;
}

void ViewGeometry::toAxes(QPointF p, double* u, double* v) const {
    if (!vertical) {
        *u = p.x() - inlineStart;
        *v = p.y() - blockStart;
    } else {
        *u = p.y() - inlineStart;
        *v = (width - blockStart) - p.x();
    }
}

// ---------------------------------------------------------------- Impl

EditControl::Impl::Impl(EditControl* owner, text::Document& document) : q(owner), doc(document) {
    doc.addListener(this);
    layout.runInBackground([this] { QMetaObject::invokeMethod(q, [this] { layoutResults(); }, Qt::QueuedConnection); });
    resultsLater.setSingleShot(true);
    resultsLater.callOnTimeout(q, [this] { layoutResults(); });
}

EditControl::Impl::~Impl() { doc.removeListener(this); }

EditScope::EditScope(EditControl::Impl* d) : d_(d) { ++d_->editDepth; }

EditScope::~EditScope() {
    if (--d_->editDepth == 0 && d_->changePending) {
        d_->changePending = false;
        emit d_->q->changed();
    }
}

void EditControl::Impl::documentChanged(const text::Change& c) {
    if (c.whole) {
        // A text given anew (a file, a new text): its stand-ins are other characters, and the
        // view starts over at its top with the caret there.
        layout.standInsReplaced();
        restoreTop = false;
    }
    if (shelved())
        layout.invalidate();
    else
        layout.documentChanged(c);
    sel.documentChanged(c);
    if (c.whole) sel.collapse(0);
    updateScrollBars();
    if (c.whole) setFirstLine(0);
    repaintChange(c);
    access.changed(c);
    if (editDepth > 0) {
        changePending = true;
    } else {
        caretMoved();
        emit q->changed();
    }
}

QScrollBar* EditControl::Impl::blockBar() const {
    return vertical ? q->horizontalScrollBar() : q->verticalScrollBar();
}

void EditControl::Impl::syncGeometry() {
    const int frame = q->frameWidth();
    if (barExtent < 0 || barVertical != vertical) {
        barExtent = vertical ? q->horizontalScrollBar()->sizeHint().height() : q->verticalScrollBar()->sizeHint().width();
        barVertical = vertical;
    }
    const int bar = barExtent;
    geo.vertical = vertical;
    geo.width = std::max(0, q->width() - 2 * frame - (vertical ? 0 : bar));
    geo.height = std::max(0, q->height() - 2 * frame - (vertical ? bar : 0));
    const int margins = std::max(0, kFitOverhead - bar - 2 * frame);
    geo.inlineStart = (margins + 1) / 2;
    geo.inlineEnd = margins - geo.inlineStart;
    // Before the first line, room for what its ruby and marks draw beyond its box (above
    // it, or right of the first column).
    geo.blockStart = std::max(geo.inlineStart, layout.ruby() ? layout.ruby()->beyondLine() : 0);
    geo.pitch = std::max(1, layout.linePitch());
    geo.textShift = layout.ruby() ? layout.ruby()->textShift() : QPointF();
    geo.wrap = static_cast<float>(std::max(0, geo.inlineExtent() - margins));
    if (geo.wrap != layout.wrapWidth()) {
        layoutWillChange();
        layout.setWrapWidth(geo.wrap);
    }
}

void EditControl::Impl::layoutWillChange() {
    if (!layout.isValid() || restoreTop) return;
    topPos = layout.lineStart(firstLine());
    restoreTop = topPos != text::npos;
}

void EditControl::Impl::applyDirection() {
    q->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
    q->setHorizontalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    // In vertical writing the text starts at the right: the bar's start is at its right end.
    q->horizontalScrollBar()->setInvertedAppearance(vertical);
    q->horizontalScrollBar()->setRange(0, 0);
    q->verticalScrollBar()->setRange(0, 0);
    layout.setFont(font, vertical ? typeset::Writing::Vertical : typeset::Writing::Horizontal);
    // The wrap width along the new inline axis at once, also while the control is hidden
    // (as the direction command hides it): laid out first at the old one, a large text
    // would be estimated twice.
    syncGeometry();
}

std::size_t EditControl::Impl::firstLine() const { return static_cast<std::size_t>(std::max(0, blockBar()->value())); }

void EditControl::Impl::setFirstLine(std::size_t line) {
    QScrollBar* bar = blockBar();
    bar->setValue(static_cast<int>(std::min<std::size_t>(line, static_cast<std::size_t>(bar->maximum()))));
}

void EditControl::Impl::updateScrollBars() {
    if (shelved()) return;
    syncGeometry();
    const std::size_t lines = layout.lineCount();
    const std::size_t page = static_cast<std::size_t>(geo.linesPerPage());
    const std::size_t max = lines > page ? lines - page : 0;
    QScrollBar* bar = blockBar();
    bar->setRange(0, static_cast<int>(std::min<std::size_t>(max, INT_MAX)));
    bar->setPageStep(static_cast<int>(page));
    bar->setSingleStep(1);
    bar->setEnabled(max > 0);
    if (restoreTop) {
        restoreTop = false;
        setFirstLine(layout.lineFromChar(std::min(topPos, doc.length())));
    }
}

std::size_t EditControl::Impl::caretLine() { return layout.lineFromChar(sel.caret(), sel.upstream()); }

QRectF EditControl::Impl::caretRect() {
    const std::size_t line = caretLine();
    const std::size_t first = firstLine();
    if (line < first || line > first + static_cast<std::size_t>(geo.linesPerPage())) return QRectF();
    Layout::Line l = layout.line(line);
    const double rel = static_cast<double>(line - first);
    const double u = l.inlineOf(sel.caret());
    return geo.box(rel, u - 1, u + 1);
}

void EditControl::Impl::ensureCaretVisible() {
    if (shelved()) return;
    updateScrollBars();
    // The page above the caret laid out exactly first (in the background its counts may
    // still be estimates, and laying a paragraph out renumbers the lines after it).
    std::size_t line = caretLine();
    const std::size_t page = static_cast<std::size_t>(geo.linesPerPage());
    for (;;) {
        layout.settleLines(std::max(line + 1, page) - page, page);
        const std::size_t again = caretLine();
        if (again == line) break;
        line = again;
    }
    scrollToLine(line);
}

void EditControl::Impl::scrollToLine(std::size_t line) {
    const std::size_t first = firstLine();
    const std::size_t page = static_cast<std::size_t>(geo.linesPerPage());
    if (line < first)
        setFirstLine(line);
    else if (line >= first + page)
        setFirstLine(line - page + 1);
}

void EditControl::Impl::restartBlink() {
    caretShown = true;
    const int flash = QApplication::cursorFlashTime();
    if (flash > 0 && q->hasFocus())
        blink.start(flash / 2);
    else
        blink.stop();
}

void EditControl::Impl::caretMoved() {
    showRawAtCaret();
    restartBlink();
    repaintSelection();
    if (q->hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImQueryInput);
    access.caretMoved();
    emit q->selectionChanged();
}

void EditControl::Impl::showRawAtCaret() {
    if (!layout.ruby()) return;
    layoutWillChange();
    if (layout.setRawRange(sel.start(), sel.end())) {
        updateScrollBars();
        repaintAll();
    } else
        restoreTop = false;
}

void EditControl::Impl::select(std::size_t newAnchor, std::size_t newCaret, bool up) {
    sel.select(newAnchor, newCaret, up);
    doc.breakTyping();
    caretMoved();
}

bool EditControl::Impl::replace(std::size_t pos, std::size_t len, std::string_view bytes, text::EditKind kind) {
    if (readOnly) return false;
    // The program's own replacements (find and replace, stamp, cipher: not undoable) keep
    // the byte rules of their commands.
    if (kind != text::EditKind::NotUndoable && doc.joinsLoneLead(pos, len, bytes)) {
        emit q->refusedJoiningLoneByte();
        return false;
    }
    EditScope scope(this);
    doc.replace(pos, len, bytes, kind);
    sel.collapse(pos + bytes.size());
    ensureCaretVisible();
    caretMoved();
    return true;
}

bool EditControl::Impl::encode(const QString& text, std::string* bytes) {
    text::StandIns::Encoded r = doc.standIns().encode(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())));
    if (!r.ok()) {
        emit q->refusedCharacters(QString::fromUcs4(r.refused.data(), static_cast<qsizetype>(r.refused.size())), r.full);
        return false;
    }
    // Every character (or stand-in) encodes alone: its bytes read back as as many characters.
    if (text::cp932::countChars(r.bytes) != r.codes) {
        emit q->refusedJoiningLoneByte();
        return false;
    }
    *bytes = std::move(r.bytes);
    return true;
}

void EditControl::Impl::insertTyped(std::string_view bytes) {
    if (bytes.empty()) return;
    if (!sel.empty()) doc.breakTyping();  // typing over a selection starts a step of its own
    replaceSelected(bytes, text::EditKind::Typing);
}

// ---------------------------------------------------------------- EditControl

EditControl::EditControl(text::Document& doc, QWidget* parent)
    : QAbstractScrollArea(parent), d(std::make_unique<Impl>(this, doc)) {
    setFrameShape(QFrame::NoFrame);
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    d->font = font();
    d->applyDirection();
    d->blink.callOnTimeout(this, [this] {
        d->caretShown = !d->caretShown;
        viewport()->update(d->repaintRect(d->caretRect()));
    });
    d->autoScroll.setInterval(50);
    d->autoScroll.callOnTimeout(this, [this] { d->dragTo(d->dragPoint); });
    d->updateScrollBars();
    installAccessibleEditFactory();
}

EditControl::~EditControl() = default;

text::Document& EditControl::document() { return d->doc; }
const text::Document& EditControl::document() const { return d->doc; }

std::size_t EditControl::selStart() const { return d->sel.start(); }
std::size_t EditControl::selLength() const { return d->sel.end() - d->sel.start(); }
std::size_t EditControl::caretPos() const { return d->sel.caret(); }
std::size_t EditControl::anchorPos() const { return d->sel.anchor(); }

void EditControl::setSelStart(std::size_t pos) { d->select(pos, pos); }

void EditControl::setSelLength(std::size_t len) {
    const std::size_t start = d->sel.start();
    const std::size_t end = start + std::min(len, d->doc.length() - start);
    d->select(start, end);
    d->ensureCaretVisible();
}

void EditControl::setSelection(std::size_t anchor, std::size_t caret) {
    d->select(anchor, caret);
    d->ensureCaretVisible();
}

void EditControl::selectAll() { d->select(0, d->doc.length()); }

std::string EditControl::selectedText() const { return d->doc.slice(d->sel.start(), d->sel.end() - d->sel.start()); }

void EditControl::replaceSelection(std::string_view bytes, bool canUndo) {
    if (d->readOnly) return;
    d->doc.breakTyping();
    if (d->sel.empty() && bytes.empty()) {  // the text stays as it is: no change to report
        if (!canUndo) d->doc.emptyUndo();
        return;
    }
    d->replaceSelected(bytes, canUndo ? text::EditKind::Edit : text::EditKind::NotUndoable);
}

std::string EditControl::text() const { return d->doc.text(); }
std::size_t EditControl::textLength() const { return d->doc.length(); }

void EditControl::setText(std::string_view bytes) {
    EditScope scope(d.get());
    d->doc.setText(bytes);
}

void EditControl::setReadOnly(bool on) { d->readOnly = on; }
bool EditControl::isReadOnly() const { return d->readOnly; }

std::size_t EditControl::lineFromChar(std::size_t pos) const {
    d->syncGeometry();
    d->layout.finish();
    return d->layout.lineFromChar(pos);
}

std::size_t EditControl::lineIndex(std::size_t line) const {
    d->syncGeometry();
    d->layout.finish();
    return d->layout.lineStart(line);
}

std::size_t EditControl::lineCount() const {
    d->syncGeometry();
    d->layout.finish();
    return d->layout.lineCount();
}

bool EditControl::linesExact() const {
    d->syncGeometry();
    return !d->doc.loading() && d->layout.exact();
}

long long EditControl::findText(std::size_t from, std::size_t to, std::string_view needle, bool matchCase,
                                bool wholeWord) const {
    unsigned flags = (matchCase ? text::FindMatchCase : 0u) | (wholeWord ? text::FindWholeWord : 0u);
    std::size_t found = d->doc.find(needle, from, std::min(to, d->doc.length()), flags);
    return found == text::npos ? -1 : static_cast<long long>(found);
}

void EditControl::undo() {
    if (d->readOnly || !d->doc.canUndo()) return;
    EditScope scope(d.get());
    text::Range r = d->doc.undo();
    d->select(r.anchor, r.caret);
    d->ensureCaretVisible();
}

void EditControl::redo() {
    if (d->readOnly || !d->doc.canRedo()) return;
    EditScope scope(d.get());
    text::Range r = d->doc.redo();
    d->select(r.anchor, r.caret);
    d->ensureCaretVisible();
}

void EditControl::emptyUndoBuffer() { d->doc.emptyUndo(); }
bool EditControl::modified() const { return d->doc.modified(); }
void EditControl::setModified(bool modified) { d->doc.setModified(modified); }

void EditControl::setVerticalOption(OptionOp op) {
    const bool vertical = op == OptionOp::Or ? true : !d->vertical;
    if (vertical == d->vertical) return;
    d->layoutWillChange();
    d->vertical = vertical;
    d->applyDirection();
    d->updateScrollBars();
    d->ensureCaretVisible();
    d->caretMoved();
}

bool EditControl::isVertical() const { return d->vertical; }

std::size_t EditControl::topPosition() const {
    d->updateScrollBars();
    const std::size_t pos = d->layout.lineStart(d->firstLine());
    return pos == text::npos ? 0 : pos;
}

void EditControl::setTopPosition(std::size_t pos) {
    d->updateScrollBars();
    d->restoreTop = false;
    d->setFirstLine(d->layout.lineFromChar(std::min(pos, d->doc.length())));
}

void EditControl::pageUp() {
    d->updateScrollBars();
    const std::size_t first = d->firstLine();
    const std::size_t page = static_cast<std::size_t>(d->geo.linesPerPage());
    d->setFirstLine(first > page ? first - page : 0);
}

void EditControl::pageDown() {
    d->updateScrollBars();
    d->setFirstLine(d->firstLine() + static_cast<std::size_t>(d->geo.linesPerPage()));
}

void EditControl::setBackgroundColor(const QColor& color) {
    d->background = color;
    viewport()->update();
}

QColor EditControl::backgroundColor() const { return d->background; }

void EditControl::setTextFont(const QFont& font) {
    d->layoutWillChange();
    d->font = font;
    d->layout.setFont(font, d->vertical ? typeset::Writing::Vertical : typeset::Writing::Horizontal);
    d->updateScrollBars();
    d->repaintAll();  // every line moved, whether or not the view scrolled
    d->ensureCaretVisible();
    d->caretMoved();
}

QFont EditControl::textFont() const { return d->font; }

void EditControl::setRubyShown(bool on) {
    d->layoutWillChange();
    d->layout.setRubyShown(on);
    d->layout.setRawRange(d->sel.start(), d->sel.end());
    d->updateScrollBars();
    d->repaintAll();
    d->ensureCaretVisible();
    d->caretMoved();
}

bool EditControl::rubyShown() const { return d->layout.ruby() != nullptr; }

void EditControl::setTextColor(const QColor& color) {
    d->textColor = color;
    viewport()->update();
}

QColor EditControl::textColor() const { return d->textColor; }

int EditControl::frameOverheadWidth() const {
    d->syncGeometry();
    if (d->vertical) return width() - d->geo.width + d->geo.blockStart;
    return width() - static_cast<int>(d->geo.wrap);
}

int EditControl::frameOverheadHeight() const {
    d->syncGeometry();
    if (!d->vertical) return height() - d->geo.height + d->geo.blockStart;
    return height() - static_cast<int>(d->geo.wrap);
}

int EditControl::fitCharacterWidth() const { return d->fullWidthAdvance(typeset::Writing::Horizontal); }

int EditControl::fitCharacterHeight() const { return d->fullWidthAdvance(typeset::Writing::Vertical); }

int EditControl::Impl::fullWidthAdvance(typeset::Writing writing) {
    if (layout.writing() == writing) return layout.typesetter().fullWidthAdvance();
    // The other direction's typesetter is not at hand; measure once per font.
    Measured& m = measured[writing == typeset::Writing::Vertical ? 1 : 0];
    if (m.advance < 0 || m.font != font) {
        m.font = font;
        m.advance = typeset::Typesetter(font, writing).fullWidthAdvance();
    }
    return m.advance;
}

QSize EditControl::sizeHint() const {
    // Forty full-width characters per line and twenty per column.
    return QSize(fitCharacterWidth() * 40 + kFitOverhead, fitCharacterHeight() * 20 + kFitOverhead);
}

// ---------------------------------------------------------------- events of the view

bool EditControl::event(QEvent* e) {
    const QEvent::Type t = e->type();
    if (t == QEvent::StyleChange || t == QEvent::FontChange || t == QEvent::Resize || t == QEvent::Show ||
        t == QEvent::ScreenChangeInternal)
        d->barExtent = -1;
    if (e->type() == QEvent::KeyPress) {
        // Tab and Shift+Tab are text here, not a move of the focus.
        auto* k = static_cast<QKeyEvent*>(e);
        if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) &&
            !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            keyPressEvent(k);
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

void EditControl::paintEvent(QPaintEvent* e) {
    QPainter p(viewport());
    d->syncGeometry();
    d->paint(p, e->region());
}

void EditControl::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    d->updateScrollBars();
}

void EditControl::showEvent(QShowEvent* e) {
    QAbstractScrollArea::showEvent(e);
    // The scroll bars are placed anew: a change of direction while the control was hidden
    // (as the direction command hides it) changed which one shows, and a hidden scroll area
    // leaves its bars where they were until it is laid out again.
    QEvent relayout(QEvent::LayoutRequest);
    QAbstractScrollArea::event(&relayout);
    d->updateScrollBars();
}

void EditControl::scrollContentsBy(int, int) {
    viewport()->update();
    if (hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
}

void EditControl::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    d->restartBlink();
    viewport()->update();
}

void EditControl::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    d->blink.stop();
    viewport()->update();
}

}  // namespace verlo::edit
