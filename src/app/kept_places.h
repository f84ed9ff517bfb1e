// Where the writer left each of the last files: the selection (anchor and caret) and the
// text at the top of the view, as byte positions, so the place holds in either writing
// direction and at any window size. Reopening one of these files puts them back.
#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <optional>

namespace verlo::app {

struct Place {
    std::size_t anchor = 0;
    std::size_t caret = 0;
    std::size_t top = 0;
};

class KeptPlaces {
public:
    // The settings file's texts ("anchor caret top path", newest first); a text that is
    // not of that form is left out.
    void setEntries(const QStringList& entries);
    QStringList entries() const;

    void keep(const QString& path, const Place& place);  // newest; the oldest beyond the limit go
    std::optional<Place> find(const QString& path) const;

private:
    struct Entry {
        QString path;  // absolute
        Place place;
    };
    QList<Entry> entries_;
};

}  // namespace verlo::app
