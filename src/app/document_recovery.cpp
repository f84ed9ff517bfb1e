#include "app/document_recovery.h"

#include <QDateTime>
#include <QFile>

#include "platform/answerer.h"
#include "recovery/recovery_store.h"
#include "session/document_session.h"
#include "text/stand_ins.h"

namespace verlo::app {

QString DocumentRecovery::offerText(const recovery::RecoveryCopy& copy) {
    const QString name = copy.path.empty() ? QStringLiteral("(無題)") : QFile::decodeName(QByteArray::fromStdString(copy.path));
    const QString when = QDateTime::fromSecsSinceEpoch(copy.written).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    const std::u16string first = text::StandIns::fromText(copy.standIns)
                                     .value_or(text::StandIns())
                                     .decodeUtf16(recovery::firstLine(copy.text, 120));
    return QStringLiteral("Verlo が前回、保存されていない文章を残したまま終了しました。\n\n"
                          "ファイル: %1\n書き込んだ時刻: %2\n最初の行: %3\n\n"
                          "この文章を復元しますか？ (元のファイルは保存するまで変わりません)")
        .arg(name, when, QString::fromUtf16(first.data(), static_cast<qsizetype>(first.size())));
}

void DocumentRecovery::offer(QWidget* owner, const std::function<void(const recovery::RecoveryCopy&)>& restore) {
    recovery::RecoveryStore& store = session_.recoveryStore();
    const std::vector<recovery::Orphan> orphans = store.adoptOrphans();
    const QStringList buttons{QStringLiteral("復元する(&R)"), QStringLiteral("破棄する(&D)"),
                              QStringLiteral("後で決める(&L)")};
    bool restored = false;
    int waiting = 0;
    for (const recovery::Orphan& orphan : orphans) {
        if (restored) {
            store.releaseOrphan(orphan.id);
            ++waiting;
            continue;
        }
        switch (platform::answerer().choose(owner, QStringLiteral("文章の復元"), offerText(orphan.copy), buttons)) {
        case 0:
            restore(orphan.copy);
            // Kept as this run's own copy before the old one goes.
            if (session_.keepCopyNow()) store.removeOrphan(orphan.id);
            else store.releaseOrphan(orphan.id);
            restored = true;
            break;
        case 1: store.removeOrphan(orphan.id); break;
        default: store.releaseOrphan(orphan.id); break;
        }
    }
    if (waiting > 0)
        platform::answerer().inform(owner, QStringLiteral("文章の復元"),
                                    QStringLiteral("ほかに復元できる文章が %1 件あります。Verlo をもう一つ起動すると、"
                                                   "そちらで復元できます。")
                                        .arg(waiting));
}

}  // namespace verlo::app
