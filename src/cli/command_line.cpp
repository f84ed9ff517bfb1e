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
        "使い方:\n"
        "  verlo [FILE]\n"
        "      テキストファイル FILE を開いて編集します。文字コード (Shift-JIS, UTF-8 (BOM あり・なし),\n"
        "      EUC-JP, UTF-16LE/BE, ISO-2022-JP) と改行 (CR LF, LF, CR) はファイルのとおりに読み、\n"
        "      そのとおりに保存します。\n"
        "  -h, --help\n"
        "      この説明を表示して終了します。\n"
        "  --version\n"
        "      バージョンを表示して終了します。\n"
        "  --\n"
        "      以降の引数をファイル名とします (\"-\" で始まる名前に)。\n"
        "\n"
        "ファイル:\n"
        "  $XDG_CONFIG_HOME/Tarnvel/Verlo.ini (ふつうは ~/.config/Tarnvel/Verlo.ini)\n"
        "      設定。\n"
        "  プログラムのフォルダの print.html、書き込めないときは $XDG_CACHE_HOME/Verlo/print.html\n"
        "      印刷プレビューのページ (ふつうは ~/.cache/Verlo/print.html)。\n"
        "  $XDG_STATE_HOME/Verlo/recovery/ (ふつうは ~/.local/state/Verlo/recovery/)\n"
        "      保存していない文章の控え。異常終了のあと、次の起動で復元を尋ねます。\n"
        "      いまは %1\n"
        "  $XDG_STATE_HOME/Verlo/discarded/\n"
        "      保存するかを尋ねられて破棄した文章 (14日、20件まで)。ファイル › 破棄した文章 で戻せます。\n"
        "\n"
        "画面を使わないコマンド:\n").arg(QFile::decodeName(QByteArray::fromStdString(files::recoveryFolder())));
}

QString versionText() { return QStringLiteral("Verlo 1.03 (build " VERLO_BUILD_ID ")\n"); }

}  // namespace verlo::cli
