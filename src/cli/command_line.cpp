#include "cli/command_line.h"

#include <QFile>

#include "files/state_folder.h"

#ifndef VERLO_BUILD_ID
#define VERLO_BUILD_ID "unknown"
#endif

namespace verlo::cli {

namespace {

// Options that Qt takes for itself (with one dash or two); QApplication removes them, but
// the line is read once before QApplication exists, to answer without a display.
int toolkitOptionArity(const QString& arg) {
    QString name = arg;
    if (name.startsWith(QLatin1String("--")))
        name.remove(0, 1);
    if (name.contains(u'='))
        name.truncate(name.indexOf(u'='));
    static const QStringList withValue = {
        QStringLiteral("-platform"), QStringLiteral("-platformpluginpath"), QStringLiteral("-platformtheme"),
        QStringLiteral("-plugin"), QStringLiteral("-qwindowgeometry"), QStringLiteral("-qwindowicon"),
        QStringLiteral("-qwindowtitle"), QStringLiteral("-style"), QStringLiteral("-stylesheet"),
        QStringLiteral("-session"), QStringLiteral("-display"), QStringLiteral("-geometry"),
        QStringLiteral("-name"), QStringLiteral("-title"), QStringLiteral("-visual")};
    static const QStringList alone = {QStringLiteral("-reverse"), QStringLiteral("-widgetcount"),
                                      QStringLiteral("-nograb"), QStringLiteral("-dograb"),
                                      QStringLiteral("-sync")};
    if (withValue.contains(name))
        return arg.contains(u'=') ? 1 : 2;
    if (alone.contains(name))
        return 1;
    return 0;
}

}  // namespace

CommandLine parseCommandLine(const QStringList& args) {
    CommandLine result;
    bool options = true;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (options && arg == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (options && arg.startsWith(u'-') && arg.size() > 1) {
            if (const int arity = toolkitOptionArity(arg)) {
                i += arity - 1;
                continue;
            }
            if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
                result.action = CommandLine::Action::Help;
                return result;
            }
            if (arg == QLatin1String("--version")) {
                result.action = CommandLine::Action::Version;
                return result;
            }
            result.action = CommandLine::Action::Error;
            result.error = QStringLiteral("verlo: 不明なオプション %1 (--help で使い方を表示します)").arg(arg);
            return result;
        }
        if (result.file.isEmpty()) {
            result.file = arg;
            // Later arguments are ignored, options among them too.
            break;
        }
    }
    return result;
}

QString commandLineHelp() {
    return QStringLiteral(
        "使い方: verlo [FILE]\n"
        "Shift-JIS のテキストファイル FILE を開いて編集します。\n"
        "\n"
        "  -h, --help     この説明を表示して終了します\n"
        "      --version  バージョンを表示して終了します\n"
        "      --         以降の引数をファイル名とします (\"-\" で始まる名前に)\n"
        "\n"
        "設定: $XDG_CONFIG_HOME/Tarnvel/Verlo.ini (ふつうは ~/.config/Tarnvel/Verlo.ini)\n"
        "印刷プレビューのページ: プログラムのフォルダの print.html、書き込めないときは\n"
        "  $XDG_CACHE_HOME/Verlo/print.html (ふつうは ~/.cache/Verlo/print.html)\n"
        "保存していない文章の控え (異常終了のあと、次の起動で復元を尋ねます):\n"
        "  $XDG_STATE_HOME/Verlo/recovery/ (ふつうは ~/.local/state/Verlo/recovery/)\n"
        "  いまは %1\n"
        "\n").arg(QFile::decodeName(QByteArray::fromStdString(files::recoveryFolder())));
}

QString versionText() { return QStringLiteral("Verlo 1.03 (build " VERLO_BUILD_ID ")\n"); }

}  // namespace verlo::cli
