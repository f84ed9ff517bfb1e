// The print preview command: the page is built from the document's text, written to
// print.html and opened with the desktop's program for HTML files.
#pragma once

#include <QString>
#include <functional>
#include <string_view>

#include "preview/page_file.h"

class QWidget;

namespace verlo::settings {
struct Settings;
}
namespace verlo::edit {
class EditControl;
}

namespace verlo::preview {

// The "IEで印刷プレビュー" command.
class PrintPreview {
public:
    // Hands the page to the desktop's program for HTML files; the outcome is not looked at.
    using Opener = std::function<void(const QString& path)>;
    using PathChooser = std::function<QString()>;

    static Opener DesktopOpener();

    // memo2 holds the document; settings gives VerHor, Retsu and Ruby; owner parents the
    // error box.
    PrintPreview(edit::EditControl& memo2, const settings::Settings& settings, QWidget* owner,
                 Opener open = DesktopOpener(),
                 PathChooser pagePath = [] { return PreviewPagePath(); });

    // Builds, writes and opens the page. A page that cannot be written shows
    // "ファイル <full path> を作成できません" and opens nothing. Returns the page's path,
    // empty when it was not written.
    QString open();

private:
    edit::EditControl& memo2_;
    const settings::Settings& settings_;
    QWidget* owner_;
    Opener open_;
    PathChooser pagePath_;
};

}  // namespace verlo::preview
