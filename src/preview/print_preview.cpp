// The print preview command.
#include "preview/print_preview.h"

#include <QDir>
#include <QFileInfo>

#include "edit/edit_control.h"
#include "platform/answerer.h"
#include "settings/settings.h"
#include "platform/shell.h"
#include "preview/preview_page.h"

namespace verlo::preview {

PrintPreview::Opener PrintPreview::DesktopOpener() {
    return [](const QString& path) { platform::openWithDesktop(path); };
}

PrintPreview::PrintPreview(edit::EditControl& memo2, const settings::Settings& settings, QWidget* owner, Opener open,
                           PathChooser pagePath)
    : memo2_(memo2),
      settings_(settings),
      owner_(owner),
      open_(std::move(open)),
      pagePath_(std::move(pagePath)) {}

QString PrintPreview::open() {
    const QFont font = memo2_.textFont();
    // Line breaks as CR LF, whatever the file keeps.
    const std::string page = PreviewPage(text::toCrLf(memo2_.text()), font.family(), PreviewFontSize(font),
                                         settings_.VerHor, settings_.Retsu, settings_.Ruby,
                                         &memo2_.document().standIns());
    const QString path = QFileInfo(pagePath_()).absoluteFilePath();
    if (!WritePreviewPage(path, page)) {
        platform::showError(owner_, QStringLiteral("ファイル %1 を作成できません").arg(QDir::toNativeSeparators(path)));
        return QString();
    }
    if (open_) open_(path);
    return path;
}

}  // namespace verlo::preview
