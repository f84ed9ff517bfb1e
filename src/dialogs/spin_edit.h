// A spin box for whole numbers whose text is what it holds: the text may be any run of
// digits and signs, and a text that is not a whole number counts as 0. Bounds are
// optional; with bounds the arrows stop at them and a number typed outside them is brought
// to the nearest one when the box loses the focus.
#pragma once

#include <QAbstractSpinBox>
#include <climits>

namespace verlo::dialogs {

class SpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit SpinEdit(QWidget* parent = nullptr);

    // Without bounds (the default) the box takes any int.
    void setBounds(int minValue, int maxValue);
    int minValue() const { return min_; }
    int maxValue() const { return max_; }

    // The number in the box; 0 when its text is not a whole number (empty, a lone sign,
    // signs between digits, too large for an int).
    int value() const;
    // Shows n as its decimal text.
    void setValue(int n);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int min_ = INT_MIN;
    int max_ = INT_MAX;
};

}  // namespace verlo::dialogs
