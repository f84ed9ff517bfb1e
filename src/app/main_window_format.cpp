// How the document is kept in its file: the encoding and line-break choices of the file
// menu, and reading the file again in another encoding.
#include <QAction>

#include "app/format_menus.h"
#include "app/main_window.h"
#include "app/writing_status.h"
#include "edit/edit_control.h"
#include "session/document_session.h"
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
    formatMenus_->show(session_->format(), session_->titled(), session_->readOnly());
    if (writingStatus_) writingStatus_->showFormat(session_->format());
}

const files::TextFormat& TForm1::textFormat() const { return session_->format(); }

bool TForm1::documentModified() const { return session_->modified(); }

void TForm1::chooseEncoding(files::Encoding encoding) {
    const std::u32string refused = session_->setEncoding(encoding);
    if (!refused.empty())
        platform::showError(this, QStringLiteral("%1 で表せない文字があるため変更できません (%2)")
                                      .arg(files::encodingCaption(encoding),
                                           QString::fromUcs4(refused.data(), static_cast<qsizetype>(refused.size()))));
    showFormat();
}

void TForm1::chooseLineBreak(files::LineBreak lineBreak) {
    const std::string_view bytes = files::lineBreakBytes(lineBreak);
    session_->setLineBreak(lineBreak);
    const std::string old = memo2->text();
    const std::string converted = text::convertLineBreaks(old, bytes);
    if (converted != old) {
        // One undoable step; the caret and the top of the view keep their lines and their
        // places in them (every break stays one break), so the view stays where it was.
        text::Document& doc = memo2->document();
        const std::size_t caret = memo2->caretPos();
        const std::size_t caretLine = doc.lineOfPos(caret);
        const std::size_t caretColumn = caret - doc.lineStart(caretLine);
        const std::size_t top = memo2->topPosition();
        const std::size_t topLine = doc.lineOfPos(top);
        const std::size_t topColumn = top - doc.lineStart(topLine);
        memo2->selectAll();
        memo2->replaceSelection(converted, /*canUndo=*/true);
        memo2->setSelStart(doc.lineStart(caretLine) + caretColumn);
        memo2->setTopPosition(doc.lineStart(topLine) + topColumn);
    }
    showFormat();
    UpdateCaption();
}

void TForm1::reopenAs(files::Encoding encoding) {
    if (!session_->titled() || !ConfirmSave()) {
        showFormat();
        return;
    }
    const QString path = session_->fileName();  // a copy: the load binds anew
    loadFile(path, encoding);
}

}  // namespace verlo::app
