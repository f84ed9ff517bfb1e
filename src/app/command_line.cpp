#include "app/command_line.h"

namespace verlo::app {

CommandLine parseCommandLine(const QStringList& args) {
    CommandLine result;
    bool options = true;
    for (const QString& arg : args) {
        if (options && arg == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (options && arg.startsWith(u'-') && arg.size() > 1) {
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
        "      --version  版を表示して終了します\n"
        "      --         以降の引数をファイル名とします (\"-\" で始まる名前に)\n"
        "\n");
}

QString versionText() { return QStringLiteral("Verlo 1.03\n"); }

}  // namespace verlo::app
