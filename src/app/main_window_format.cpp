// How the document is kept in its file: the encoding and line-break choices of the file
// menu, and reading the file again in another encoding.
#include <QAction>

#include "app/format_menus.h"
#include "app/main_window.h"
#include "app/writing_status.h"
#include "edit/edit_control.h"
#include "files/text_file.h"
#include "platform/answerer.h"
#include "text/document.h"

namespace verlo::app {

void TForm1::createFormatMenus() {
    formatMenus_ = new FormatMenus(File1, N14, this);
    connect(formatMenus_, &FormatMenus::encodingChosen, this, &TForm1::chooseEncoding);
    connect(formatMenus_, &FormatMenus::lineBreakChosen, this, &TForm1::chooseLineBreak);
    connect(formatMenus_, &FormatMenus::reopenChosen, this, &TForm1::reopenAs);
}

void TForm1::showFormat() {
    formatMenus_->show(format_, !currentFileName.isEmpty(), memo2->isReadOnly());
    if (writingStatus_) writingStatus_->showFormat(format_);
}

bool TForm1::documentModified() const { return memo2->modified() || format_ != savedFormat_; }

void TForm1::chooseEncoding(files::Encoding encoding) {
    if (encoding != format_.encoding) {
        files::TextFormat wanted = format_;
        wanted.encoding = encoding;
        const files::WrittenText trial = files::writeText(memo2->text(), memo2->document().standIns(), wanted);
        if (!trial.ok()) {
            platform::showError(this, QStringLiteral("%1 で表せない文字があるため変更できません (%2)")
                                          .arg(files::encodingCaption(encoding),
                                               QString::fromUcs4(trial.refused.data(),
                                                                 static_cast<qsizetype>(trial.refused.size()))));
        } else {
            format_ = wanted;
            memo2->document().standIns().setAccepting(files::holdsAnyCharacter(encoding));
        }
    }
    showFormat();
}

void TForm1::chooseLineBreak(files::LineBreak lineBreak) {
    const std::string_view bytes = files::lineBreakBytes(lineBreak);
    format_.lineBreak = lineBreak;
    memo2->document().setLineBreak(bytes);
    const std::string old = memo2->text();
    const std::string converted = text::convertLineBreaks(old, bytes);
    if (converted != old) {
        // One undoable step; the caret keeps its line and its place in the line (every
        // break stays one break).
        text::Document& doc = memo2->document();
        const std::size_t caret = memo2->caretPos();
        const std::size_t line = doc.lineOfPos(caret);
        const std::size_t column = caret - doc.lineStart(line);
        memo2->selectAll();
        memo2->replaceSelection(converted, /*canUndo=*/true);
        memo2->setSelStart(doc.lineStart(line) + column);
    }
    showFormat();
    UpdateCaption();
}

void TForm1::reopenAs(files::Encoding encoding) {
    if (currentFileName.isEmpty() || !ConfirmSave()) {
        showFormat();
        return;
    }
    loadFile(currentFileName, encoding);
}

}  // namespace verlo::app
