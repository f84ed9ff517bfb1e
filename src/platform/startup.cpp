#include "platform/startup.h"

#include <QCoreApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

namespace verlo::platform {

void installFontSubstitutions() {
    const QStringList gothic{QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"),
                             QStringLiteral("Noto Sans Mono CJK JP")};
    const QStringList pGothic{QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                              QStringLiteral("IPAGothic")};
    const QStringList mincho{QStringLiteral("IPAMincho"), QStringLiteral("Noto Serif CJK JP")};
    const QStringList pMincho{QStringLiteral("IPAPMincho"), QStringLiteral("Noto Serif CJK JP"),
                              QStringLiteral("IPAMincho")};
    // Full-width "ＭＳ" as the Japanese system writes it, and the ASCII spellings.
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), gothic);
    QFont::insertSubstitutions(QStringLiteral("MS Gothic"), gothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), pGothic);
    QFont::insertSubstitutions(QStringLiteral("MS PGothic"), pGothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"), mincho);
    QFont::insertSubstitutions(QStringLiteral("MS Mincho"), mincho);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐ明朝"), pMincho);
    QFont::insertSubstitutions(QStringLiteral("MS PMincho"), pMincho);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ＵＩ ゴシック"), pGothic);
    QFont::insertSubstitutions(QStringLiteral("MS UI Gothic"), pGothic);
    QFont::insertSubstitutions(QStringLiteral("メイリオ"), pGothic);
    QFont::insertSubstitutions(QStringLiteral("Meiryo"), pGothic);
}

bool loadQtTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

}  // namespace verlo::platform
