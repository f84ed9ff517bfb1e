// The edit control as it looks: the sample text in both directions with a selection and
// an input-method pre-edit, checked at a few pixels and saved as pictures in the build
// folder (edit_look_horizontal*.png, edit_look_vertical*.png) for a person to look at.
// With VERLO_LOOK_HOLD_MS set, each window stays on screen that long (to photograph it
// under Xvfb with `import -window root`).
#include "edit/edit_control.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QInputMethodEvent>
#include <QPalette>
#include <QTest>
#include <QTextCharFormat>

#include "text/codec.h"
#include "support/test_text.h"

using verlo::edit::EditControl;
using verlo::edit::OptionOp;

namespace {


QVariant im(const QWidget& w, Qt::InputMethodQuery query) { return w.inputMethodQuery(query); }

void showPreedit(EditControl& control) {
    QTextCharFormat underline;
    underline.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    QTextCharFormat clause;
    clause.setBackground(QColor(0x40, 0x60, 0xC0));
    clause.setForeground(Qt::white);
    QList<QInputMethodEvent::Attribute> attrs;
    attrs << QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, 0, 5, underline)
          << QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, 0, 2, clause)
          << QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, 2, 1, QVariant());
    QInputMethodEvent e(QStringLiteral("変換中です"), attrs);
    QCoreApplication::sendEvent(&control, &e);
}

int countColour(const QImage& image, const QRect& area, QRgb colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.rect().contains(x, y) && image.pixel(x, y) == colour) ++n;
    return n;
}

void look(bool vertical, const char* name) {
    verlo::text::Document viewed;
    EditControl control{viewed};
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(18);
    control.setTextFont(font);
    if (vertical) control.setVerticalOption(OptionOp::Or);
    control.resize(control.fitCharacterWidth() * 30 + 25, control.fitCharacterHeight() * 22 + 25);
    control.setBackgroundColor(QColor(0xFF, 0xFC, 0xF2));
    control.setText(verlo::test::sampleText());
    control.show();
    control.activateWindow();
    control.setFocus();
    // Select 「今日は…」 up to the Latin words, and put the caret in the last-but-one line
    // with a pre-edit.
    const std::string text = control.text();
    const std::size_t quote = text.find(verlo::text::codec::encode(u"「今日").bytes);
    const std::size_t latin = text.find("Latin");
    control.setSelection(quote, latin + 5);
    QTest::qWait(50);
    QImage selected = control.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    selected.save(QStringLiteral(VERLO_BINARY_DIR "/edit_look_%1_selection.png").arg(QLatin1String(name)));

    // Without the focus the selection stays visible, in a quieter colour.
    const QRgb highlight = control.palette().color(QPalette::Active, QPalette::Highlight).rgb();
    const QRgb paper = QColor(0xFF, 0xFC, 0xF2).rgb();
    control.clearFocus();
    QTest::qWait(20);
    EXPECT_FALSE(control.hasFocus());
    QImage unfocused = control.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int wasHighlight = 0;
    int stillMarked = 0;
    for (int y = 0; y < selected.height(); ++y)
        for (int x = 0; x < selected.width(); ++x)
            if (selected.pixel(x, y) == highlight) {
                ++wasHighlight;
                if (unfocused.pixel(x, y) != highlight && unfocused.pixel(x, y) != paper) ++stillMarked;
            }
    EXPECT_GT(stillMarked, wasHighlight * 9 / 10) << name;
    control.setFocus();

    control.setSelStart(text.find(verlo::text::codec::encode(u"タブで").bytes));
    showPreedit(control);
    EXPECT_EQ(control.text(), text);  // the pre-edit is drawn, not inserted
    QTest::qWait(50);
    QImage withPreedit = control.grab().toImage().convertToFormat(QImage::Format_RGB32);
    withPreedit.save(QStringLiteral(VERLO_BINARY_DIR "/edit_look_%1.png").arg(QLatin1String(name)));

    // The selection is painted in the highlight colour; the pre-edit's clause in its own.
    EXPECT_GT(countColour(selected, selected.rect(), highlight), 500) << name;
    const QRect cursor = im(control, Qt::ImCursorRectangle).toRect();
    const QRect near = cursor.adjusted(-60, -60, 60, 60);
    EXPECT_GT(countColour(withPreedit, near, QColor(0x40, 0x60, 0xC0).rgb()), 50) << name;
    // The background colour fills the rest.
    EXPECT_GT(countColour(withPreedit, withPreedit.rect(), QColor(0xFF, 0xFC, 0xF2).rgb()),
              withPreedit.width() * withPreedit.height() / 3)
        << name;

    if (const int hold = qEnvironmentVariableIntValue("VERLO_LOOK_HOLD_MS"); hold > 0) QTest::qWait(hold);
}

}  // namespace

TEST(EditControlLook, Horizontal) { look(false, "horizontal"); }

TEST(EditControlLook, Vertical) { look(true, "vertical"); }

// A text without line breaks, long enough to be laid out a line at a time, scrolled to
// its middle: the lines there are drawn and selectable like any others.
TEST(EditControlLook, MiddleOfOneLongLine) {
    std::string line;
    while (line.size() < 300 * 1024) line += verlo::text::codec::encode(u"長い一行の文章、Base64 ABCD+/== ").bytes;
    verlo::text::Document viewed;
    EditControl control{viewed};
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(16);
    control.setTextFont(font);
    control.resize(500, 300);
    control.setText(line);
    control.show();
    control.setSelection(line.size() / 2, line.size() / 2 + 300);
    QTest::qWait(20);
    QImage image = control.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    image.save(QStringLiteral(VERLO_BINARY_DIR "/edit_look_long_line.png"));
    const QRgb highlight = control.palette().color(QPalette::Active, QPalette::Highlight).rgb();
    EXPECT_GT(countColour(image, image.rect(), highlight), 2000);
    EXPECT_LT(countColour(image, image.rect(), QColor(Qt::white).rgb()), image.width() * image.height() * 95 / 100);
    EXPECT_GT(control.lineCount(), 1000u);
    EXPECT_LE(control.lineIndex(control.lineFromChar(line.size() / 2 + 300)), line.size() / 2 + 300);
}
