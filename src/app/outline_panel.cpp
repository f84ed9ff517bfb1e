#include "app/outline_panel.h"

#include <QAction>
#include <QDockWidget>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMainWindow>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

#include "counts/manuscript.h"
#include "edit/edit_control.h"

namespace verlo::app {

namespace {

enum Column { HeadingColumn, CharsColumn, PagesColumn };

const QString kLeft = QStringLiteral("left");
const QString kRight = QStringLiteral("right");

QString pagesText(std::size_t lines) {
    const std::size_t tenths = counts::manuscriptPages(lines).tenths;
    return QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10);
}

void setTextIfNew(QTreeWidgetItem& item, int column, const QString& text) {
    if (item.text(column) != text) item.setText(column, text);
}

}  // namespace

OutlinePanel::OutlinePanel(QMainWindow& window, session::DocumentSession& session, edit::EditControl& memo2,
                           QAction& toggle)
    : window_(window),
      session_(session),
      memo2_(memo2),
      toggle_(toggle),
      background_([this] { QMetaObject::invokeMethod(this, [this] { collect(); }, Qt::QueuedConnection); }) {
    toggle_.setCheckable(true);
    toggle_.setChecked(false);
    connect(&toggle_, &QAction::toggled, this, &OutlinePanel::setShown);
}

OutlinePanel::~OutlinePanel() {
    if (following_) session_.unwatch(this);
}

bool OutlinePanel::shown() const { return dock_ && !dock_->isHidden(); }

void OutlinePanel::build() {
    dock_ = new QDockWidget(QStringLiteral("アウトライン"), &window_);
    dock_->setObjectName(QStringLiteral("Outline"));
    dock_->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    dock_->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    tree_ = new QTreeWidget(dock_);
    tree_->setObjectName(QStringLiteral("OutlineTree"));
    tree_->setAccessibleName(QStringLiteral("アウトライン"));
    tree_->setAccessibleDescription(QStringLiteral("見出しとその章の文字数、原稿用紙の枚数"));
    tree_->setHeaderLabels({QStringLiteral("見出し"), QStringLiteral("字数"), QStringLiteral("枚数")});
    tree_->setUniformRowHeights(true);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->header()->setStretchLastSection(false);
    tree_->header()->setSectionResizeMode(HeadingColumn, QHeaderView::Stretch);
    // The figures' columns as wide as their widest figures: fitting them to their contents
    // would measure every row at every key.
    const QFontMetrics metrics = tree_->fontMetrics();
    const int padding = 2 * metrics.averageCharWidth();
    tree_->header()->setSectionResizeMode(CharsColumn, QHeaderView::Fixed);
    tree_->header()->setSectionResizeMode(PagesColumn, QHeaderView::Fixed);
    tree_->header()->resizeSection(CharsColumn, metrics.horizontalAdvance(QStringLiteral("0000000")) + padding);
    tree_->header()->resizeSection(PagesColumn, metrics.horizontalAdvance(QStringLiteral("0000.0")) + padding);
    dock_->setWidget(tree_);
    // Enter on a heading and a click on it go there (itemActivated alone waits for a
    // double click on some styles).
    connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        goTo(item->data(HeadingColumn, Qt::UserRole).toULongLong());
    });
    connect(tree_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        goTo(item->data(HeadingColumn, Qt::UserRole).toULongLong());
    });
    // The dock's own close button hides it as the menu item does.
    connect(dock_->toggleViewAction(), &QAction::toggled, this, [this](bool on) {
        if (!on && toggle_.isChecked()) setShown(false);
    });
    connect(dock_, &QDockWidget::dockLocationChanged, this, [this](Qt::DockWidgetArea area) {
        if (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea) area_ = area;
    });
    refreshTimer_ = new QTimer(this);
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(0);
    connect(refreshTimer_, &QTimer::timeout, this, &OutlinePanel::refresh);
    readTimer_ = new QTimer(this);
    readTimer_->setInterval(0);
    connect(readTimer_, &QTimer::timeout, this, &OutlinePanel::readMore);
    window_.addDockWidget(area_, dock_);
}

void OutlinePanel::setShown(bool shown) {
    if (toggle_.isChecked() != shown) toggle_.setChecked(shown);  // comes back here once
    if (shown == this->shown()) return;
    if (!shown) {
        for (const auto& c : connections_) disconnect(c);
        connections_.clear();
        session_.unwatch(this);
        following_ = false;
        background_.cancel();
        readTimer_->stop();
        width_ = dock_->width();
        dock_->hide();
        return;
    }
    if (!dock_) build();
    readAll();
    session_.watch(this);
    following_ = true;
    connections_ << connect(&memo2_, &edit::EditControl::selectionChanged, this, &OutlinePanel::markCaret);
    dock_->show();
    if (width_ > 0) window_.resizeDocks({dock_}, {width_}, Qt::Horizontal);
    refresh();
}

QString OutlinePanel::side() const { return area_ == Qt::LeftDockWidgetArea ? kLeft : kRight; }

void OutlinePanel::setSide(const QString& side) {
    area_ = side == kLeft ? Qt::LeftDockWidgetArea : Qt::RightDockWidgetArea;
    if (dock_) window_.addDockWidget(area_, dock_);
}

int OutlinePanel::width() const { return shown() ? dock_->width() : width_; }

void OutlinePanel::setWidth(int width) {
    width_ = std::max(0, width);
    if (shown() && width_ > 0) window_.resizeDocks({dock_}, {width_}, Qt::Horizontal);
}

void OutlinePanel::setRules(const outline::HeadingRules& rules) {
    if (rules == outline_.rules()) return;
    if (!shown()) {
        outline_ = outline::Outline(rules);
        return;
    }
    outline_.setRules(session_.document(), rules);
    refresh();
}

void OutlinePanel::readAll() {
    text::Document& doc = session_.document();
    if (doc.length() > backgroundFrom_) {
        background_.start(doc, 16 * backgroundFrom_);
        outline_.startReading();
        readTimer_->start();
    } else {
        readTimer_->stop();
        outline_.rebuild(doc);
    }
}

void OutlinePanel::readMore() {
    // About a millisecond of reading at a time.
    if (outline_.readMore(session_.document(), 4 * backgroundFrom_)) return;
    readTimer_->stop();
    refresh();
}

void OutlinePanel::documentChanged(const text::Change& change, std::uint64_t) {
    // As the status bar's counts: a large change, also one made while the counts are taken,
    // is counted on the worker.
    text::Document& doc = session_.document();
    if (change.whole || change.inserted + change.removed > backgroundFrom_) {
        readAll();
    } else if (background_.running()) {
        background_.noteChange(change);
        outline_.applyToHeadings(doc, change);
    } else {
        outline_.apply(doc, change);
    }
    if (change.whole || change.linesAdded || change.linesRemoved) {
        touchedAll_ = true;
    } else if (!refreshTimer_->isActive() && !touchedAll_) {
        touchedFirst_ = touchedLast_ = change.firstLine;
    } else {
        touchedFirst_ = std::min(touchedFirst_, change.firstLine);
        touchedLast_ = std::max(touchedLast_, change.firstLine);
    }
    refreshTimer_->start();
}

void OutlinePanel::collect() {
    if (background_.collect(session_.document(), outline_.counts())) refresh();
}

void OutlinePanel::refresh() {
    if (!shown()) return;
    if (outline_.shape() != shownShape_) {
        rebuildTree();
        touchedAll_ = true;
    }
    text::Document& doc = session_.document();
    const std::vector<outline::OutlineEntry>& headings = outline_.headings();
    const std::vector<std::size_t> ends = outline::sectionEnds(headings);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const std::size_t p = headings[i].paragraph;
        if (!touchedAll_ && (p > touchedLast_ || outline_.sectionEndParagraph(doc, i, ends) <= touchedFirst_)) continue;
        if (touchedAll_ || p >= touchedFirst_)
            setTextIfNew(*items_[i], HeadingColumn,
                         QString::fromStdU16String(doc.standIns().decodeUtf16(outline_.text(doc, i))));
        updateFigures(*items_[i], i, ends);
    }
    touchedAll_ = !exact();
    markCaret();
}

void OutlinePanel::rebuildTree() {
    shownShape_ = outline_.shape();
    marked_ = nullptr;
    tree_->clear();
    items_.clear();
    const std::vector<outline::OutlineEntry>& headings = outline_.headings();
    items_.reserve(headings.size());
    std::vector<std::pair<int, QTreeWidgetItem*>> open;  // the headings above, levels rising
    for (std::size_t i = 0; i < headings.size(); ++i) {
        while (!open.empty() && open.back().first >= headings[i].level) open.pop_back();
        auto* item = open.empty() ? new QTreeWidgetItem(tree_) : new QTreeWidgetItem(open.back().second);
        item->setData(HeadingColumn, Qt::UserRole, static_cast<qulonglong>(i));
        item->setTextAlignment(CharsColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(PagesColumn, Qt::AlignRight | Qt::AlignVCenter);
        items_.push_back(item);
        open.emplace_back(headings[i].level, item);
    }
    tree_->expandAll();
}

void OutlinePanel::updateFigures(QTreeWidgetItem& item, std::size_t heading, const std::vector<std::size_t>& ends) {
    if (!exact()) {  // kept until the counts are in; blank for a heading not counted yet
        return;
    }
    text::Document& doc = session_.document();
    setTextIfNew(item, CharsColumn, QString::number(outline_.sectionChars(doc, heading, ends)));
    setTextIfNew(item, PagesColumn, pagesText(outline_.sectionManuscriptLines(doc, heading, ends)));
}

void OutlinePanel::markCaret() {
    if (!shown()) return;
    text::Document& doc = session_.document();
    const std::size_t heading = outline_.headingOf(doc.lineOfPos(memo2_.caretPos()));
    QTreeWidgetItem* item = heading < items_.size() ? items_[heading] : nullptr;
    if (item == marked_) return;
    if (marked_) {
        QFont plain = marked_->font(HeadingColumn);
        plain.setBold(false);
        marked_->setFont(HeadingColumn, plain);
    }
    marked_ = item;
    if (!item) {
        tree_->clearSelection();
        return;
    }
    QFont bold = item->font(HeadingColumn);
    bold.setBold(true);
    item->setFont(HeadingColumn, bold);
    // The current item without taking the focus from the text.
    const QSignalBlocker quiet(tree_);
    tree_->setCurrentItem(item);
    tree_->scrollToItem(item);
}

void OutlinePanel::goTo(std::size_t heading) {
    if (heading >= outline_.headings().size()) return;
    text::Document& doc = session_.document();
    const std::size_t pos = doc.lineStart(outline_.headings()[heading].paragraph);
    memo2_.setSelection(pos, pos);
    memo2_.setFocus(Qt::OtherFocusReason);
    emit moved();
}

void OutlinePanel::switchFocus() {
    if (shown() && tree_->hasFocus()) {
        memo2_.setFocus(Qt::ShortcutFocusReason);
        return;
    }
    setShown(true);
    tree_->setFocus(Qt::ShortcutFocusReason);
    if (!tree_->currentItem() && tree_->topLevelItemCount() > 0) tree_->setCurrentItem(tree_->topLevelItem(0));
}

void OutlinePanel::goToNext() { goNear(true); }
void OutlinePanel::goToPrevious() { goNear(false); }

void OutlinePanel::goNear(bool forward) {
    text::Document& doc = session_.document();
    const std::size_t caret = memo2_.caretPos();
    std::size_t from = doc.lineOfPos(caret);
    // Back from inside a heading's line goes to its own start first.
    if (!forward && caret > doc.lineStart(from)) ++from;
    const std::size_t paragraph = outline::nearestHeading(doc, from, forward, outline_.rules());
    if (paragraph == text::npos) return;
    const std::size_t pos = doc.lineStart(paragraph);
    memo2_.setSelection(pos, pos);
    emit moved();
}

}  // namespace verlo::app
