#include "app/writing_status.h"

#include <QAction>
#include <QBoxLayout>
#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <algorithm>
#include <iterator>
#include <string_view>

#include "app/figure_label.h"
#include "counts/manuscript.h"
#include "edit/edit_control.h"

namespace verlo::app {

namespace {

// Digits in groups of three, as Japanese writes numbers: 12,345, between two texts: the
// label's text made in one piece, as the figures change with every key.
QString withNumber(std::u16string_view before, std::size_t n, std::u16string_view after) {
    char16_t digits[32];
    char16_t* const end = digits + std::size(digits);
    char16_t* p = end;
    for (int inGroup = 0;; ++inGroup) {
        if (inGroup == 3) {
            *--p = u',';
            inGroup = 0;
        }
        *--p = static_cast<char16_t>(u'0' + n % 10);
        n /= 10;
        if (n == 0) break;
    }
    QString text(static_cast<qsizetype>(before.size() + static_cast<std::size_t>(end - p) + after.size()),
                 Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    out = std::copy(before.begin(), before.end(), out);
    out = std::copy(p, end, out);
    std::copy(after.begin(), after.end(), out);
    return text;
}

QString number(std::size_t n) { return withNumber({}, n, {}); }

// Sets a figure's text. While the text keeps its length the label keeps its size (one that
// fits the widest digits), so that a figure moving as the writer types repaints its label
// and lays out nothing. True when the label changed its size.
bool setFigure(FigureLabel& label, const QString& text) {
    const bool resize = label.text().size() != text.size();
    label.setText(text);
    if (!resize) return false;
    const QFontMetrics metrics = label.fontMetrics();
    QChar widest = u'0';
    for (char16_t d = u'1'; d <= u'9'; ++d)
        if (metrics.horizontalAdvance(QChar(d)) > metrics.horizontalAdvance(widest)) widest = QChar(d);
    QString wide = text;
    for (QChar& c : wide)
        if (c.isDigit()) c = widest;
    label.setMinimumSize(0, 0);
    label.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const QSize hint = label.sizeHint();
    label.setFixedSize(hint.width() + metrics.horizontalAdvance(wide) - metrics.horizontalAdvance(text), hint.height());
    return true;
}

// The room a figure takes in the bar, shown or not.
int widthOf(const QWidget& figure) { return std::max(figure.minimumWidth(), figure.sizeHint().width()); }

}  // namespace

QString charsLabel(std::size_t chars) { return withNumber({}, chars, u"字"); }

QString selectionLabel(std::size_t chars) { return withNumber(u"選択 ", chars, u"字"); }

QString pagesLabel(std::size_t lines) {
    const std::size_t tenths = counts::manuscriptPages(lines).tenths;
    const char16_t after[] = {u'.', static_cast<char16_t>(u'0' + tenths % 10), u'枚'};
    return withNumber({}, tenths / 10, std::u16string_view(after, std::size(after)));
}

QString pagesToolTip(std::size_t lines) {
    return QStringLiteral("400字詰め原稿用紙換算　最終ページ %1行（全%2行）")
        .arg(counts::manuscriptPages(lines).linesOnLastPage)
        .arg(number(lines));
}

WritingStatus::WritingStatus(QMainWindow& window, session::DocumentSession& session, edit::EditControl& memo2,
                             QAction& toggle)
    : window_(window),
      session_(session),
      memo2_(memo2),
      toggle_(toggle),
      background_([this] { QMetaObject::invokeMethod(this, [this] { collect(); }, Qt::QueuedConnection); }) {
    toggle_.setCheckable(true);
    toggle_.setChecked(false);
    connect(&toggle_, &QAction::toggled, this, &WritingStatus::setShown);
    connect(&session_, &session::DocumentSession::modifiedChanged, this, &WritingStatus::showModified);
}

WritingStatus::~WritingStatus() {
    if (shown()) session_.unwatch(this);
}

bool WritingStatus::shown() const { return bar_ && !bar_->isHidden(); }

void WritingStatus::build() {
    bar_ = new QStatusBar(&window_);
    bar_->setObjectName(QStringLiteral("StatusBar"));
    bar_->setSizeGripEnabled(false);
    const auto label = [this]<typename Label>(Label* l, const char* name) {
        l->setObjectName(QString::fromLatin1(name));
        // The bar lies inside the window: no safe area to ask the platform for on every text.
        l->setAttribute(Qt::WA_ContentsMarginsRespectsSafeArea, false);
        return l;
    };
    chars_ = label(new FigureLabel(bar_), "CharCount");
    selection_ = label(new FigureLabel(bar_), "SelectionCount");
    pages_ = label(new FigureLabel(bar_), "ManuscriptPages");
    encoding_ = label(new QLabel(bar_), "Encoding");
    encoding_->setTextFormat(Qt::PlainText);
    unsaved_ = label(new QLabel(QStringLiteral("未保存"), bar_), "Unsaved");
    unsaved_->setToolTip(QStringLiteral("文章はファイルに保存されていません"));
    unsaved_->hide();
    selection_->hide();
    // The bar sets its last widget against the window's edge: a margin as on the left.
    encoding_->setContentsMargins(0, 0, encoding_->fontMetrics().averageCharWidth(), 0);
    bar_->addWidget(chars_);
    bar_->addWidget(unsaved_);
    bar_->addWidget(selection_);
    bar_->addWidget(pages_);
    bar_->addPermanentWidget(encoding_);
    bar_->installEventFilter(this);
    // The figures never widen the window: those that do not fit are left out (fitFigures).
    bar_->setMinimumWidth(1);
    window_.setStatusBar(bar_);
    showFormat(format_);
}

void WritingStatus::setShown(bool shown) {
    if (toggle_.isChecked() != shown) toggle_.setChecked(shown);  // comes back here once
    if (shown == this->shown()) return;
    if (!shown) {
        for (const auto& c : following_) disconnect(c);
        following_.clear();
        session_.unwatch(this);
        background_.cancel();
        bar_->hide();
        return;
    }
    if (!bar_) build();
    modified_ = session_.modified();
    shownChars_ = shownLines_ = static_cast<std::size_t>(-1);
    countAll();
    session_.watch(this);
    following_ << connect(&memo2_, &edit::EditControl::changed, this, &WritingStatus::refresh);
    following_ << connect(&memo2_, &edit::EditControl::selectionChanged, this, &WritingStatus::refreshSelection);
    bar_->show();
    refresh();
}

void WritingStatus::countAll() {
    text::Document& doc = session_.document();
    if (doc.length() > backgroundFrom_)
        background_.start(doc, 16 * backgroundFrom_);
    else
        counts_.recount(doc);
}

void WritingStatus::documentChanged(const text::Change& change, std::uint64_t) {
    // A large change is counted on the worker, also one made while it counts (which starts
    // it again) rather than again on this thread when the counts come in.
    if (change.inserted + change.removed > backgroundFrom_)
        countAll();
    else if (background_.running())
        background_.noteChange(change);
    else
        counts_.apply(session_.document(), change);
}

void WritingStatus::collect() {
    if (background_.collect(session_.document(), counts_)) refresh();
}

void WritingStatus::refresh() {
    if (!exact()) return;  // the figures shown stay until the new ones are counted
    const std::size_t chars = counts_.chars();
    const std::size_t lines = counts_.manuscriptLines();
    bool resized = chars != shownChars_ && setFigure(*chars_, charsLabel(chars));
    if (lines != shownLines_) {
        resized = setFigure(*pages_, pagesLabel(lines)) || resized;
        pages_->setToolTip(app::pagesToolTip(lines));
    }
    shownChars_ = chars;
    shownLines_ = lines;
    if (resized) fitFigures();
    refreshSelection();
}

void WritingStatus::showFormat(const files::TextFormat& format) {
    format_ = format;
    if (!encoding_) return;
    encoding_->setText(files::encodingCaption(format.encoding) + QStringLiteral("　") +
                       files::lineBreakCaption(format.lineBreak));
    fitFigures();
}

void WritingStatus::refreshSelection() {
    if (!exact()) return;
    const std::size_t from = memo2_.selStart();
    const std::size_t length = memo2_.selLength();
    bool resized = false;
    if (length > 0) resized = setFigure(*selection_, selectionLabel(counts_.charsIn(session_.document(), from, from + length)));
    if (resized || selecting_ != (length > 0)) {
        selecting_ = length > 0;
        fitFigures();
    }
}

void WritingStatus::showModified(bool modified) {
    if (modified == modified_) return;
    modified_ = modified;
    fitFigures();
}

bool WritingStatus::eventFilter(QObject* watched, QEvent* event) {
    if (watched == bar_ && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) fitFigures();
    return QObject::eventFilter(watched, event);
}

void WritingStatus::fitFigures() {
    if (!bar_) return;
    if (!bar_->isVisible()) {  // laid out when shown
        selection_->setVisible(selecting_);
        unsaved_->setVisible(modified_);
        return;
    }
    // By priority: the count of the text, that it is not saved, the encoding, the selection's
    // count, the pages. Each is shown whole or not at all, and none after one left out. The
    // bar sets them a gap apart after a margin (what its row takes beyond the figures it
    // shows now).
    QWidget* const figures[] = {chars_, unsaved_, encoding_, selection_, pages_};
    const auto* row = bar_->findChild<QHBoxLayout*>();
    const int gap = row && row->spacing() >= 0 ? row->spacing() : 6;
    int shownWidth = 0, shownCount = 0;
    for (const QWidget* f : figures)
        if (!f->isHidden()) {
            shownWidth += widthOf(*f);
            ++shownCount;
        }
    const int edge = std::max(0, bar_->layout()->minimumSize().width() - shownWidth - gap * std::max(0, shownCount - 1));
    int room = bar_->width() - edge + gap;
    bool fits = true;  // none before left out
    for (QWidget* f : figures) {
        const bool wanted = (f != selection_ || selecting_) && (f != unsaved_ || modified_);
        const int need = widthOf(*f) + gap;
        fits = fits && (!wanted || need <= room);
        const bool show = wanted && fits;
        if (show) room -= need;
        if (f->isHidden() == show) f->setVisible(show);
    }
}

namespace {

QString textIfShown(const QWidget& widget, const QString& text) { return widget.isHidden() ? QString() : text; }

}  // namespace

QString WritingStatus::charsText() const { return shown() ? textIfShown(*chars_, chars_->text()) : QString(); }
QString WritingStatus::selectionText() const { return shown() ? textIfShown(*selection_, selection_->text()) : QString(); }
QString WritingStatus::pagesText() const { return shown() ? textIfShown(*pages_, pages_->text()) : QString(); }
QString WritingStatus::pagesToolTip() const { return shown() ? textIfShown(*pages_, pages_->toolTip()) : QString(); }
QString WritingStatus::unsavedText() const { return shown() ? textIfShown(*unsaved_, unsaved_->text()) : QString(); }
QString WritingStatus::encodingText() const { return shown() ? textIfShown(*encoding_, encoding_->text()) : QString(); }

}  // namespace verlo::app
