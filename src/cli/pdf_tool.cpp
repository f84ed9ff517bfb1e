#include "cli/pdf_tool.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>

#include "cli/tool_io.h"
#include "cli/tool_settings.h"
#include "print/pdf_export.h"
#include "print/page_setup.h"

namespace verlo::cli {

using print::PageSetup;

bool asksForPdf(const QStringList& args) {
    for (const QString& arg : args) {
        if (arg == QLatin1String("--")) return false;
        if (arg == QLatin1String("--pdf") || arg.startsWith(QLatin1String("--pdf="))) return true;
    }
    return false;
}

PdfCommandLine parsePdfCommandLine(const QStringList& args) {
    PdfCommandLine line;
    bool options = true;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        auto value = [&](const char* name, QString& into) {
            const QString option = QString::fromLatin1(name);
            if (arg.startsWith(option + u'=')) {
                into = arg.mid(option.size() + 1);
                return true;
            }
            if (arg != option) return false;
            if (i + 1 >= args.size())
                line.error = QStringLiteral("%1 のあとに値がありません").arg(option);
            else
                into = args[++i];
            return true;
        };
        if (options && arg == QLatin1String("--")) {
            options = false;
        } else if (options && (value("--pdf", line.output) || value("--format", line.format))) {
            if (!line.error.isEmpty()) return line;
        } else if (options && (arg == QLatin1String("--ruby") || arg == QLatin1String("--no-ruby"))) {
            line.ruby = arg == QLatin1String("--ruby");
        } else if (options && arg.startsWith(u'-') && arg.size() > 1) {
            line.error = QStringLiteral("不明なオプション %1 (--help で使い方を表示します)").arg(arg);
            return line;
        } else if (line.file.isEmpty()) {
            line.file = arg;
        } else {
            line.error = QStringLiteral("ファイルは一つだけ指定してください: %1").arg(arg);
            return line;
        }
    }
    if (line.output.isEmpty())
        line.error = QStringLiteral("--pdf のあとに書き出す PDF の名前を指定してください");
    else if (line.file.isEmpty())
        line.error = QStringLiteral("PDF にするテキストファイルを指定してください");
    return line;
}

int runPdfCommandLine(const QStringList& args) {
    const PdfCommandLine line = parsePdfCommandLine(args);
    if (!line.error.isEmpty()) {
        say(line.error);
        return kExitTrouble;
    }
    // The page setup and the editor's font as the editor stored them.
    const settings::StoredSettings stored = readToolSettings();
    PageSetup setup = print::fromText(stored.PageSetup);
    if (!line.format.isEmpty()) {
        const std::optional<PageSetup> formatted = print::applyFormat(setup, line.format);
        if (!formatted) {
            say(QStringLiteral("--format の値 %1 がわかりません (40x30, 20x20, 42x34 または 字数x行数)").arg(line.format));
            return kExitTrouble;
        }
        setup = *formatted;
    }
    std::optional<files::ReadText> read =
        readDocument(QFile::encodeName(line.file).toStdString(), files::FileKind::Regular);
    if (!read) {
        say(QStringLiteral("ファイル %1 は開けません").arg(line.file));
        return kExitFailed;
    }
    QFont editorFont(stored.Name);
    const print::ExportResult result =
        print::exportPdf(line.output, setup, editorFont, print::documentTitle(line.file), read->bytes,
                         &read->standIns, line.ruby.value_or(stored.live.Ruby));
    if (result.error) {
        say(*result.error);
        return kExitFailed;
    }
    return kExitDone;
}

QString pdfCommandLineHelp() {
    return QStringLiteral(
        "  verlo --pdf OUT.pdf [--format 40x30|20x20|42x34|字数x行数] [--ruby|--no-ruby] FILE\n"
        "      FILE をページに組んで PDF ファイル OUT.pdf に書き出します (画面は要りません)。\n"
        "      ページ設定は編集画面の ファイル › ページ設定 で保存したもの、--format はその書式を\n"
        "      置き換えます: 40x30 (A4横 縦書き)、20x20 (原稿用紙)、42x34 (A4縦 横書き)、\n"
        "      または字数と行数だけ。ルビ (｜漢字《かんじ》、《《傍点》》) は 表示 › ルビを表示 の\n"
        "      とおりに組みます。--ruby はルビを組み、--no-ruby は書いたとおりに置きます。\n");
}

}  // namespace verlo::cli
