// The commands that put the document on pages: ページ設定, 印刷 (the system's print dialog)
// and PDFに書き出す. The page setup lives in its stored text form in the main window's
// settings, written back with them when the program closes.
#pragma once

#include <QString>
#include <functional>

#include "print/page_setup.h"

class QWidget;

namespace verlo::edit {
class EditControl;
}

namespace verlo::commands {

class PrintCommands {
public:
    // memo2 holds the document; pageSetup is the stored text form (changed by the page
    // setup dialog); fileName gives the document's path (empty when untitled).
    PrintCommands(edit::EditControl& memo2, QString& pageSetup, std::function<QString()> fileName, QWidget* owner);

    void pageSetup();
    void print();
    // Asks where to write the PDF (next to the document, by its name) and writes it. Returns
    // the path written, empty when cancelled or when it failed (the error box told why).
    QString exportPdf();

    // The document's name as the pages and the PDF title show it.
    QString documentName() const;

private:
    print::PageSetup setup() const { return print::fromText(pageSetup_); }

    edit::EditControl& memo2_;
    QString& pageSetup_;
    std::function<QString()> fileName_;
    QWidget* owner_;
};

}  // namespace verlo::commands
