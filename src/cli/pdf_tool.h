// The command line that writes a PDF without a window:
//   verlo --pdf OUT.pdf [--format 40x30|20x20|42x34|NxM] [--ruby|--no-ruby] FILE
// with the page setup stored by the editor (or its default), changed by --format, and ruby
// set from its notation as the editor's 表示 › ルビを表示 stands, or as --ruby/--no-ruby say.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace verlo::cli {

// True when the arguments (without the program's name) ask for a PDF: --pdf comes before
// any "--". The caller then makes an application without a display and runs the command.
bool asksForPdf(const QStringList& args);

struct PdfCommandLine {
    QString output;
    QString format;  // empty: the stored setup as it is
    std::optional<bool> ruby;  // none: as the editor shows it
    QString file;
    QString error;   // set when the line is not valid
};
PdfCommandLine parsePdfCommandLine(const QStringList& args);

// Runs it: 0 when the file was written, 1 when it could not be (the text file unreadable
// or the PDF not made; the message on standard error), 2 for a command line that is not
// valid. Needs a QGuiApplication.
int runPdfCommandLine(const QStringList& args);

// The lines --help prints for it.
QString pdfCommandLineHelp();

}  // namespace verlo::cli
