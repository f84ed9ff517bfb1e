#include "app/kept_places.h"

#include <QFileInfo>

#include "settings/stored_settings.h"

namespace verlo::app {

void KeptPlaces::setEntries(const QStringList& entries) {
    entries_.clear();
    for (const QString& text : entries) {
        const QStringList parts = text.split(u' ');
        if (parts.size() < 4) continue;
        bool ok[3] = {};
        Place p{parts[0].toULongLong(&ok[0]), parts[1].toULongLong(&ok[1]), parts[2].toULongLong(&ok[2])};
        // The path is all after the third space, spaces and all.
        const QString path = text.section(u' ', 3);
        if (!ok[0] || !ok[1] || !ok[2] || path.isEmpty() || entries_.size() == settings::kPlaces) continue;
        entries_.append({path, p});
    }
}

QStringList KeptPlaces::entries() const {
    QStringList list;
    for (const Entry& e : entries_)
        list << QStringLiteral("%1 %2 %3 %4").arg(e.place.anchor).arg(e.place.caret).arg(e.place.top).arg(e.path);
    return list;
}

void KeptPlaces::keep(const QString& path, const Place& place) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    entries_.removeIf([&](const Entry& e) { return e.path == absolute; });
    entries_.prepend({absolute, place});
    while (entries_.size() > settings::kPlaces) entries_.removeLast();
}

std::optional<Place> KeptPlaces::find(const QString& path) const {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (const Entry& e : entries_)
        if (e.path == absolute) return e.place;
    return std::nullopt;
}

}  // namespace verlo::app
