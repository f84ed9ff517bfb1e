#include "commands/print_commands.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>

#include "dialogs/page_setup_dialog.h"
#include "edit/edit_control.h"
#include "platform/answerer.h"
#include "print/page_layout.h"
#include "print/page_printer.h"
#include "print/pdf_export.h"

namespace verlo::commands {

PrintCommands::PrintCommands(edit::EditControl& memo2, QString& pageSetup, std::function<QString()> fileName,
                             QWidget* owner)
    : memo2_(memo2), pageSetup_(pageSetup), fileName_(std::move(fileName)), owner_(owner) {}

QString PrintCommands::documentName() const { return print::documentTitle(fileName_()); }

void PrintCommands::pageSetup() {
    if (const std::optional<print::PageSetup> chosen = dialogs::PageSetupDialog::ask(owner_, setup(), memo2_.textFont()))
        pageSetup_ = print::toText(*chosen);
}

void PrintCommands::print() {
    const print::PageSetup s = setup();
    QPrinter printer(QPrinter::HighResolution);
    print::preparePrinter(printer, s, documentName());
    QPrintDialog dialog(&printer, owner_);
    dialog.setWindowTitle(QStringLiteral("印刷"));
    if (dialog.exec() != QDialog::Accepted) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<QString> error = print::printText(printer, s, memo2_.textFont(), documentName(), memo2_.text(),
                                                               &memo2_.document().standIns(), memo2_.rubyShown());
    QApplication::restoreOverrideCursor();
    if (error) platform::showError(owner_, *error);
}

QString PrintCommands::exportPdf() {
    platform::FileDialogRequest request;
    request.title = QStringLiteral("PDFに書き出す");
    request.filters = {QStringLiteral("PDFファイル (*.pdf)")};
    request.defaultSuffix = QStringLiteral("pdf");
    const QString path = fileName_();
    const QFileInfo info(path.isEmpty() ? documentName() : path);
    request.proposedPath = info.dir().filePath(info.completeBaseName() + QStringLiteral(".pdf"));
    if (path.isEmpty()) request.proposedPath = documentName() + QStringLiteral(".pdf");
    const std::optional<QString> target = platform::answerer().saveFile(owner_, request);
    if (!target) return {};
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const print::ExportResult result =
        print::exportPdf(*target, setup(), memo2_.textFont(), documentName(), memo2_.text(),
                         &memo2_.document().standIns(), memo2_.rubyShown());
    QApplication::restoreOverrideCursor();
    if (result.error) {
        platform::showError(owner_, *result.error);
        return {};
    }
    return *target;
}

}  // namespace verlo::commands
