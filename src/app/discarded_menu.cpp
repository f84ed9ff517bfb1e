#include "app/discarded_menu.h"

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include "recovery/discarded_texts.h"
#include "text/stand_ins.h"

namespace verlo::app {

DiscardedMenu::DiscardedMenu(QMenu& menu, recovery::DiscardedTexts& texts, QObject* parent)
    : QObject(parent), menu_(menu), texts_(texts) {
    connect(&menu_, &QMenu::aboutToShow, this, &DiscardedMenu::rebuild);
}

void DiscardedMenu::rebuild() {
    menu_.clear();
    const auto kept = texts_.list(QDateTime::currentSecsSinceEpoch());
    for (const auto& [name, copy] : kept) {
        const QString when = QDateTime::fromSecsSinceEpoch(copy.written).toString(QStringLiteral("yyyy/MM/dd HH:mm"));
        const QString path = QFile::decodeName(QByteArray::fromStdString(copy.path));
        const QString file = path.isEmpty() ? QStringLiteral("(無題)") : QFileInfo(path).fileName();
        const std::u16string first = text::StandIns::fromText(copy.standIns)
                                         .value_or(text::StandIns())
                                         .decodeUtf16(recovery::firstLine(copy.text, 60));
        QString caption = when + QStringLiteral("  ") + file + QStringLiteral("  ") +
                          QString::fromUtf16(first.data(), static_cast<qsizetype>(first.size()));
        caption.replace(u'&', QStringLiteral("&&"));
        QAction* item = menu_.addAction(caption);
        item->setToolTip(path);
        connect(item, &QAction::triggered, this, [this, name = name] { emit restoreRequested(name); });
    }
    if (kept.empty()) menu_.addAction(QStringLiteral("(なし)"))->setEnabled(false);
    menu_.setToolTipsVisible(true);
}

}  // namespace verlo::app
