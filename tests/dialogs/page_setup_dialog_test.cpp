// The page setup dialog: every setting comes back out of its controls, a preset fills them
// but keeps the writer's font, title and author.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QRawFont>
#include <QSpinBox>

#include "dialogs/page_setup_dialog.h"
#include "support/page_setups.h"

using verlo::dialogs::PageSetupDialog;
using namespace verlo::print;

TEST(PageSetupDialog, ControlsHoldEverySetting) {
    const PageSetup s = verlo::test::everySettingChanged();
    for (const PageSetup& setup : {PageSetup{}, s}) {
        PageSetupDialog dialog(setup);
        EXPECT_EQ(dialog.setup(), setup) << toText(setup).toStdString();
    }
}

TEST(PageSetupDialog, PresetKeepsTheWritersFontTitleAndAuthor) {
    PageSetup mine;
    mine.fontFamily = QStringLiteral("IPAMincho");
    mine.titleLines = true;
    mine.author = QStringLiteral("著者");
    PageSetupDialog dialog(mine);
    for (std::size_t i = 0; i < presets().size(); ++i) {
        dialog.preset->setCurrentIndex(static_cast<int>(i + 1));
        emit dialog.preset->activated(static_cast<int>(i + 1));
        PageSetup expected = presets()[i].setup;
        expected.fontFamily = mine.fontFamily;
        expected.titleLines = true;
        expected.author = mine.author;
        EXPECT_EQ(dialog.setup(), expected) << presets()[i].format.toStdString();
    }
    dialog.editorFont->setChecked(true);
    EXPECT_TRUE(dialog.setup().fontFamily.isEmpty()) << "the editor's font";
}

TEST(PageSetupDialog, TheFontBoxShowsTheFaceThePagesAreSetIn) {
    for (const char* editor : {"IPAMincho", "serif"}) {
        SCOPED_TRACE(editor);
        const PageSetupDialog dialog(PageSetup{}, QFont(QString::fromLatin1(editor)));
        EXPECT_TRUE(dialog.editorFont->isChecked());
        // What the pages embed: the face the editor's font resolves to.
        EXPECT_EQ(dialog.font->currentFont().family(), QRawFont::fromFont(QFont(QString::fromLatin1(editor))).familyName());
    }
}
