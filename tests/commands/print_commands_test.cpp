// PDFに書き出す from the editor: the save dialog offers the document's name as a PDF beside
// it, the file holds the document's pages in the stored setup, and a failure is told.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "commands/print_commands.h"
#include "edit/edit_control.h"
#include "print/page_setup.h"
#include "support/pdf_tools.h"
#include "support/scripted_answerer.h"
#include "support/test_text.h"

using verlo::commands::PrintCommands;

TEST(PrintCommands, ExportPdfAsksWhereAndWritesThePages) {
    QTemporaryDir dir;
    verlo::text::Document viewed;
    verlo::edit::EditControl memo2{viewed};
    memo2.setText(verlo::test::sampleText());
    QString setup = verlo::print::toText(*verlo::print::applyFormat({}, QStringLiteral("20x20")));
    QString fileName = dir.filePath(QStringLiteral("neko.txt"));
    PrintCommands commands(memo2, setup, [&] { return fileName; }, nullptr);
    verlo::test::ScriptedAnswerer answers;

    answers.saveFiles.push_back(std::nullopt);
    EXPECT_EQ(commands.exportPdf(), QString()) << "cancelled";
    ASSERT_EQ(answers.asked.size(), 1u);
    EXPECT_EQ(answers.asked[0].request.proposedPath, dir.filePath(QStringLiteral("neko.pdf")));

    const QString target = dir.filePath(QStringLiteral("out.pdf"));
    answers.saveFiles.push_back(target);
    EXPECT_EQ(commands.exportPdf(), target);
    QFile pdf(target);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-1.7"));
    EXPECT_TRUE(verlo::test::passesQpdfCheck(target.toStdString()));
    EXPECT_TRUE(bytes.contains("/Title <FEFF006E0065006B006F>")) << "neko, without its extension";
    EXPECT_TRUE(answers.errors().isEmpty());

    answers.saveFiles.push_back(dir.filePath(QStringLiteral("missing/out.pdf")));
    EXPECT_EQ(commands.exportPdf(), QString());
    ASSERT_EQ(answers.errors().size(), 1);
    EXPECT_TRUE(answers.errors()[0].contains(QStringLiteral("作成できません")));

    fileName.clear();
    answers.saveFiles.push_back(std::nullopt);
    commands.exportPdf();
    EXPECT_EQ(answers.asked.back().request.proposedPath, QStringLiteral("無題.pdf"));
}
