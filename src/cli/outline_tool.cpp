#include "cli/outline_tool.h"

#include <QFile>
#include <unistd.h>

#include "cli/tool_io.h"
#include "cli/tool_settings.h"
#include "counts/manuscript.h"
#include "outline/outline.h"
#include "text/document.h"

namespace verlo::cli {

bool asksForOutline(const QStringList& args) {
    for (const QString& arg : args) {
        if (arg == QLatin1String("--")) return false;
        if (arg == QLatin1String("--outline")) return true;
    }
    return false;
}

std::string outlineLines(std::string_view bytes, const text::StandIns& standIns, const outline::HeadingRules& rules) {
    text::Document doc;
    doc.setText(bytes);
    outline::Outline kept(rules);
    kept.rebuild(doc);
    const std::vector<std::size_t> ends = outline::sectionEnds(kept.headings());
    std::string out;
    for (std::size_t i = 0; i < kept.headings().size(); ++i) {
        const outline::OutlineEntry& h = kept.headings()[i];
        const std::size_t tenths = counts::manuscriptPages(kept.sectionManuscriptLines(doc, i, ends)).tenths;
        out += std::to_string(h.level) + '\t' + std::to_string(h.paragraph + 1) + '\t' +
               std::to_string(kept.sectionChars(doc, i, ends)) + '\t' + std::to_string(tenths / 10) + '.' +
               std::to_string(tenths % 10) + '\t' +
               QString::fromStdU16String(standIns.decodeUtf16(kept.text(doc, i))).toStdString() + '\n';
    }
    return out;
}

int runOutlineCommandLine(const QStringList& args) {
    QString file;
    bool options = true;
    for (const QString& arg : args) {
        if (options && arg == QLatin1String("--")) {
            options = false;
        } else if (options && arg == QLatin1String("--outline")) {
        } else if (options && arg.startsWith(u'-') && arg.size() > 1) {
            say(QStringLiteral("不明なオプション %1 (--help で使い方を表示します)").arg(arg));
            return kExitTrouble;
        } else if (file.isEmpty()) {
            file = arg;
        } else {
            say(QStringLiteral("ファイルは一つだけ指定してください: %1").arg(arg));
            return kExitTrouble;
        }
    }
    if (file.isEmpty()) {
        say(QStringLiteral("見出しを一覧にするテキストファイルを指定してください"));
        return kExitTrouble;
    }
    const settings::StoredSettings stored = readToolSettings();
    const std::optional<files::ReadText> read =
        readDocument(QFile::encodeName(file).toStdString(), files::FileKind::Regular);
    if (!read) {
        say(QStringLiteral("ファイル %1 は開けません").arg(file));
        return kExitTrouble;
    }
    const outline::HeadingRules rules = outline::rulesFromText(stored.OutlineHeadings.toStdString());
    return writeAll(STDOUT_FILENO, outlineLines(read->bytes, read->standIns, rules)) ? kExitDone : kExitTrouble;
}

QString outlineCommandLineHelp() {
    return QStringLiteral(
        "  verlo --outline FILE\n"
        "      FILE の見出しを一行に一つずつ、タブで区切って書き出します: 見出しの階層 (1〜3)、\n"
        "      行番号、その章の文字数 (文字カウントと同じ数え方)、400字詰め原稿用紙の枚数、\n"
        "      見出しの文字 (UTF-8)。読めないファイルには終了コード 2 を返します。\n");
}

}  // namespace verlo::cli
