// The stamp text: date part, weekday, separating blank, time part and seconds.
#include "stamp/date_stamp.h"

namespace verlo::stamp {
namespace {

QString twoDigits(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }

// The date part for formDay, and whether its weekday names are kanji. Empty for an index
// without a format.
QString datePart(const QDate& date, std::uint8_t formDay, bool* kanjiWeekday) {
    const QString year = QString::number(date.year());
    const QString mm = twoDigits(date.month());
    const QString dd = twoDigits(date.day());
    switch (formDay) {
    case 0:
        *kanjiWeekday = false;
        return year.mid(2) + u'/' + mm + u'/' + dd;  // the year less its first two characters
    case 1:
        *kanjiWeekday = false;
        return year + u'/' + mm + u'/' + dd + u' ';
    case 2:
        *kanjiWeekday = true;
        return year + QStringLiteral("年") + mm + QStringLiteral("月") + dd + QStringLiteral("日 ");
    case 3:
        *kanjiWeekday = true;
        return mm + QStringLiteral("月") + dd + QStringLiteral("日");
    default:
        return QString();
    }
}

// The 12-hour formats count 0 to 12 as morning with the hour unchanged, 13 to 23 as
// afternoon with 12 taken off.
bool afternoon(int hour) { return hour >= 13; }
int twelveHour(int hour) { return afternoon(hour) ? hour - 12 : hour; }

}  // namespace

QString StampText(const QDateTime& moment, bool dateOn, bool weekdayOn, bool timeOn, bool secondsOn,
                  std::uint8_t formDay, std::uint8_t formTime) {
    const QDate date = moment.date();
    const QTime time = moment.time();
    QString stamp;

    if (dateOn) {
        bool kanji = false;
        stamp += datePart(date, formDay, &kanji);
        if (weekdayOn && formDay < kDateFormatCount) stamp += u'(' + WeekdayName(kanji, date) + u')';
        if (timeOn) stamp += u' ';  // also when the date format gave no text
    }

    if (timeOn) {
        const int hour = time.hour();
        const QString mm = twoDigits(time.minute());
        const QString ss = twoDigits(time.second());
        switch (formTime) {
        case 0:
            stamp += QString::number(hour) + u':' + mm;
            if (secondsOn) stamp += u':' + ss;
            break;
        case 1:
            stamp += (afternoon(hour) ? QStringLiteral("PM") : QStringLiteral("AM")) +
                     QString::number(twelveHour(hour)) + u':' + mm;
            if (secondsOn) stamp += u':' + ss;
            break;
        case 2:
            stamp += (afternoon(hour) ? QStringLiteral("午後") : QStringLiteral("午前")) +
                     QString::number(twelveHour(hour)) + QStringLiteral("時") + mm + QStringLiteral("分");
            if (secondsOn) stamp += ss + QStringLiteral("秒");
            break;
        default:
            break;  // no time text, and the seconds switch is not looked at
        }
    }
    return stamp;
}

}  // namespace verlo::stamp
