// Set-up before the first window: Japanese faces for the stored font names, Qt's own texts
// in Japanese.
#include <QApplication>
#include <QFontInfo>
#include <gtest/gtest.h>

#include "platform/startup.h"

using namespace verlo::platform;

TEST(Startup, WindowsJapaneseFaceNamesResolveToInstalledJapaneseFaces) {
    installFontSubstitutions();
    const struct {
        const char* stored;
        QStringList expected;
    } cases[] = {
        {"ＭＳ ゴシック", {"IPAGothic", "IPAゴシック", "Noto Sans CJK JP", "Noto Sans Mono CJK JP"}},
        {"ＭＳ Ｐゴシック", {"IPAPGothic", "IPA Pゴシック", "Noto Sans CJK JP", "IPAGothic", "IPAゴシック"}},
        {"ＭＳ 明朝", {"IPAMincho", "IPA明朝", "Noto Serif CJK JP"}},
    };
    for (const auto& c : cases) {
        QFont font(QString::fromUtf8(c.stored), 14);
        EXPECT_EQ(font.family(), QString::fromUtf8(c.stored)) << "the stored name stays as it was";
        const QString resolved = QFontInfo(font).family();
        EXPECT_TRUE(c.expected.contains(resolved)) << c.stored << " -> " << resolved.toStdString();
    }
}

TEST(Startup, QtsOwnTextsSpeakJapanese) {
    ASSERT_TRUE(loadQtTranslations(*QCoreApplication::instance()));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("キャンセル"));
}
