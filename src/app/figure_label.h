// A figure of the status bar that changes as the writer types: a line of plain text, read by
// screen readers as the text it shows. Unlike a label it tells the accessibility layer of a
// new text only while an assistive tool is listening, and it does no rich-text detection or
// layout of its own; setting the same text again does nothing.
#pragma once

#include <QString>
#include <QWidget>

namespace verlo::app {

class FigureLabel : public QWidget {
    Q_OBJECT
public:
    explicit FigureLabel(QWidget* parent = nullptr);

    const QString& text() const { return text_; }
    void setText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString text_;
};

}  // namespace verlo::app
