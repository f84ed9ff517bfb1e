// The page setup dialog "ページ設定": paper, direction, characters and lines, font, margins,
// page numbers, the title lines and the manuscript grid, with the usual formats as presets.
#pragma once

#include <QDialog>
#include <optional>

#include "print/page_setup.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFontComboBox;
class QLineEdit;
class QSpinBox;

namespace verlo::dialogs {

class PageSetupDialog : public QDialog {
public:
    // editorTextFont: the editor's font, which the pages take unless the setup names another.
    explicit PageSetupDialog(const print::PageSetup& initial, const QFont& editorTextFont = QFont(),
                             QWidget* parent = nullptr);

    // The setup as the controls hold it; show(setup) puts one into them.
    print::PageSetup setup() const;
    void show(const print::PageSetup& setup);

    // Runs the dialog: the setup chosen with OK, nothing when cancelled.
    static std::optional<print::PageSetup> ask(QWidget* owner, const print::PageSetup& current,
                                               const QFont& editorTextFont);

    QComboBox* preset;
    QComboBox* paper;
    QComboBox* orientation;  // 縦, 横
    QComboBox* direction;    // 縦書き, 横書き
    QSpinBox* chars;
    QSpinBox* lines;
    QCheckBox* editorFont;   // the editor's font (the font box is then unused)
    QFontComboBox* font;
    QDoubleSpinBox* fontSize;  // 0: 自動
    QDoubleSpinBox* margins[4];  // top, bottom, left, right (mm)
    QComboBox* numberPlace;
    QLineEdit* numberFormat;
    QCheckBox* titleLines;
    QLineEdit* author;
    QCheckBox* grid;
    QCheckBox* hang;

private:
    void showFace();  // the face the pages are set in, in the font box

    QFont editorFont_;
};

}  // namespace verlo::dialogs
