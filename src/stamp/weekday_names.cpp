// Weekday names of the stamp.
#include "stamp/date_stamp.h"

#include <array>

namespace verlo::stamp {

QString WeekdayName(bool kanji, const QDate& date) {
    // Indexed by QDate::dayOfWeek() - 1: Monday first.
    static const std::array<const char*, 7> english = {"Mon", "Tue", "Wed", "Thr", "Fri", "Sat", "Sun"};
    static const std::array<const char*, 7> japanese = {"月", "火", "水", "木", "金", "土", "日"};
    const int day = date.dayOfWeek();
    if (day < 1 || day > 7) return QString();  // an invalid date has no weekday
    return QString::fromUtf8(kanji ? japanese[day - 1] : english[day - 1]);
}

QString WeekdayName(bool kanji, const QDateTime& moment) { return WeekdayName(kanji, moment.date()); }

}  // namespace verlo::stamp
