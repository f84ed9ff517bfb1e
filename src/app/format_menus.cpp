#include "app/format_menus.h"

#include <QActionGroup>
#include <QMenu>

namespace verlo::app {

FormatMenus::FormatMenus(QMenu* fileMenu, QAction* before, QObject* parent)
    : QObject(parent),
      encodingMenu(new QMenu(QStringLiteral("文字コード(&C)"), fileMenu)),
      lineBreakMenu(new QMenu(QStringLiteral("改行コード(&B)"), fileMenu)),
      reopenMenu(new QMenu(QStringLiteral("文字コードを指定して開き直す(&W)"), fileMenu)),
      encodings_(new QActionGroup(this)),
      lineBreaks_(new QActionGroup(this)) {
    for (files::Encoding e : files::kEncodings) {
        QAction* choose = encodingMenu->addAction(files::encodingCaption(e));
        choose->setCheckable(true);
        choose->setData(static_cast<int>(e));
        encodings_->addAction(choose);
        connect(choose, &QAction::triggered, this, [this, e] { emit encodingChosen(e); });
        QAction* reopen = reopenMenu->addAction(files::encodingCaption(e));
        reopen->setData(static_cast<int>(e));
        connect(reopen, &QAction::triggered, this, [this, e] { emit reopenChosen(e); });
    }
    for (files::LineBreak b : files::kLineBreaks) {
        QAction* choose = lineBreakMenu->addAction(files::lineBreakCaption(b));
        choose->setCheckable(true);
        choose->setData(static_cast<int>(b));
        lineBreaks_->addAction(choose);
        connect(choose, &QAction::triggered, this, [this, b] { emit lineBreakChosen(b); });
    }
    const std::pair<QMenu*, const char*> named[] = {
        {encodingMenu, "Encoding1"}, {lineBreakMenu, "LineBreak1"}, {reopenMenu, "Reopen1"}};
    for (const auto& [menu, name] : named) {
        menu->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setObjectName(QString::fromLatin1(name));
        fileMenu->insertMenu(before, menu);
    }
    fileMenu->insertSeparator(before)->setObjectName(QStringLiteral("FormatSeparator"));
}

void FormatMenus::show(const files::TextFormat& format, bool hasFile, bool readOnly) {
    encodingAction(format.encoding)->setChecked(true);
    lineBreakAction(format.lineBreak)->setChecked(true);
    encodingMenu->setEnabled(!readOnly);
    lineBreakMenu->setEnabled(!readOnly);
    reopenMenu->setEnabled(hasFile);
}

QAction* FormatMenus::encodingAction(files::Encoding encoding) const {
    return encodingMenu->actions().at(static_cast<int>(encoding));
}

QAction* FormatMenus::lineBreakAction(files::LineBreak lineBreak) const {
    return lineBreakMenu->actions().at(static_cast<int>(lineBreak));
}

QAction* FormatMenus::reopenAction(files::Encoding encoding) const {
    return reopenMenu->actions().at(static_cast<int>(encoding));
}

}  // namespace verlo::app
