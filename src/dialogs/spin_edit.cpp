#include "dialogs/spin_edit.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <algorithm>

namespace verlo::dialogs {

SpinEdit::SpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    setValue(0);
}

void SpinEdit::setBounds(int minValue, int maxValue) {
    min_ = std::min(minValue, maxValue);
    max_ = std::max(minValue, maxValue);
    update();  // the arrows' enabled state
}

int SpinEdit::value() const {
    bool ok = false;
    const int n = text().toInt(&ok, 10);
    return ok ? n : 0;
}

void SpinEdit::setValue(int n) {
    lineEdit()->setText(QString::number(n));
    update();
}

void SpinEdit::stepBy(int steps) {
    // Wide arithmetic: a step past the int range stops at its end.
    const long long next = static_cast<long long>(value()) + steps;
    setValue(static_cast<int>(std::clamp<long long>(next, min_, max_)));
    selectAll();
}

QValidator::State SpinEdit::validate(QString& input, int&) const {
    // What may be typed: digits and signs, nothing else (no blanks, no letters).
    for (QChar c : input)
        if (!(c >= u'0' && c <= u'9') && c != u'-' && c != u'+') return QValidator::Invalid;
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const {
    if (isReadOnly()) return StepNone;
    const int n = value();
    StepEnabled on = StepNone;
    if (n < max_) on |= StepUpEnabled;
    if (n > min_) on |= StepDownEnabled;
    return on;
}

void SpinEdit::focusOutEvent(QFocusEvent* event) {
    QAbstractSpinBox::focusOutEvent(event);
    // Only a number can be out of bounds; a text that is no number is left as typed.
    bool ok = false;
    const int n = text().toInt(&ok, 10);
    if (ok && (n < min_ || n > max_)) setValue(std::clamp(n, min_, max_));
}

QSize SpinEdit::sizeHint() const {
    ensurePolished();
    const QFontMetrics fm(fontMetrics());
    // Room for the widest number the bounds allow.
    const int digits = std::max(QString::number(min_).size(), QString::number(max_).size());
    const int w = fm.horizontalAdvance(QString(std::min<qsizetype>(digits, 7), u'0')) + fm.horizontalAdvance(u' ') + 4;
    const int h = lineEdit()->sizeHint().height();
    QStyleOptionSpinBox opt;
    initStyleOption(&opt);
    return style()->sizeFromContents(QStyle::CT_SpinBox, &opt, QSize(w, h), this);
}

QSize SpinEdit::minimumSizeHint() const { return sizeHint(); }

}  // namespace verlo::dialogs
