// What the program sets up in Qt before its first window: Japanese faces for the font
// names the settings use, and Qt's own texts in Japanese.
#pragma once

class QCoreApplication;

namespace verlo::platform {

// Maps the Windows Japanese face names (ＭＳ ゴシック, ＭＳ Ｐゴシック, ＭＳ 明朝, ...)
// to installed Japanese faces. The name the program stores stays as it is; only font
// resolution sees the substitute. Must run before any font is resolved.
void installFontSubstitutions();

// Loads Qt's Japanese translations (qtbase_ja) so Qt's dialogs and buttons speak Japanese.
// Returns false when the translation file is not installed.
bool loadQtTranslations(QCoreApplication& app);

}  // namespace verlo::platform
