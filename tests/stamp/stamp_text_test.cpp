// The stamp text and the weekday names, against the published format tables.
#include <gtest/gtest.h>

#include "stamp/date_stamp.h"

using verlo::stamp::StampText;
using verlo::stamp::WeekdayName;

namespace {

// Thursday 5 March 2026, 18:07:09 (and a fraction that must not round the seconds up).
const QDateTime kExample(QDate(2026, 3, 5), QTime(18, 7, 9, 987));

QString dateOnly(int formDay, bool weekday) { return StampText(kExample, true, weekday, false, false, formDay, 0); }
QString timeOnly(const QDateTime& m, int formTime, bool seconds) {
    return StampText(m, false, false, true, seconds, 0, formTime);
}
QDateTime at(int hour, int minute, int second = 0) { return QDateTime(QDate(2026, 3, 5), QTime(hour, minute, second)); }

}  // namespace

TEST(WeekdayName, EnglishAndKanjiForAWholeWeek) {
    // 2 March 2026 is a Monday.
    const char* english[] = {"Mon", "Tue", "Wed", "Thr", "Fri", "Sat", "Sun"};
    const char* kanji[] = {"月", "火", "水", "木", "金", "土", "日"};
    for (int i = 0; i < 7; ++i) {
        const QDate d(2026, 3, 2 + i);
        EXPECT_EQ(WeekdayName(false, d), QString::fromUtf8(english[i])) << i;
        EXPECT_EQ(WeekdayName(true, QDateTime(d, QTime(23, 59, 59))), QString::fromUtf8(kanji[i])) << i;
    }
}

TEST(StampText, DatePartsOfTheWorkedExample) {
    EXPECT_EQ(dateOnly(0, false), "26/03/05");
    EXPECT_EQ(dateOnly(0, true), "26/03/05(Thr)");
    EXPECT_EQ(dateOnly(1, false), "2026/03/05 ");
    EXPECT_EQ(dateOnly(1, true), "2026/03/05 (Thr)");
    EXPECT_EQ(dateOnly(2, false), QStringLiteral("2026年03月05日 "));
    EXPECT_EQ(dateOnly(2, true), QStringLiteral("2026年03月05日 (木)"));
    EXPECT_EQ(dateOnly(3, false), QStringLiteral("03月05日"));
    EXPECT_EQ(dateOnly(3, true), QStringLiteral("03月05日(木)"));
}

TEST(StampText, TimePartsOfTheWorkedExample) {
    EXPECT_EQ(timeOnly(kExample, 0, false), "18:07");
    EXPECT_EQ(timeOnly(kExample, 0, true), "18:07:09");
    EXPECT_EQ(timeOnly(kExample, 1, false), "PM6:07");
    EXPECT_EQ(timeOnly(kExample, 1, true), "PM6:07:09");
    EXPECT_EQ(timeOnly(kExample, 2, false), QStringLiteral("午後6時07分"));
    EXPECT_EQ(timeOnly(kExample, 2, true), QStringLiteral("午後6時07分09秒"));
}

TEST(StampText, WholeStampsOfTheWorkedExample) {
    EXPECT_EQ(StampText(kExample, true, false, true, false, 0, 0), "26/03/05 18:07");
    EXPECT_EQ(StampText(kExample, true, false, true, false, 1, 0), "2026/03/05  18:07");
    EXPECT_EQ(StampText(kExample, true, true, true, true, 1, 1), "2026/03/05 (Thr) PM6:07:09");
    EXPECT_EQ(StampText(kExample, true, true, true, true, 2, 2), QStringLiteral("2026年03月05日 (木) 午後6時07分09秒"));
    EXPECT_EQ(StampText(kExample, true, true, false, true, 3, 2), QStringLiteral("03月05日(木)"));
    EXPECT_EQ(StampText(kExample, false, true, true, false, 3, 2), QStringLiteral("午後6時07分"));
    EXPECT_EQ(StampText(kExample, false, true, false, true, 2, 2), "");
    // Format 2 with the weekday off: "日", the format's blank and the separating blank.
    EXPECT_EQ(StampText(kExample, true, false, true, false, 2, 2), QStringLiteral("2026年03月05日  午後6時07分"));
}

TEST(StampText, HoursInEachTimeFormatAtHalfPast) {
    struct Row {
        int hour;
        const char* f0;
        const char* f1;
        const char* f2;
    };
    const Row rows[] = {
        {0, "0:30", "AM0:30", "午前0時30分"},    {9, "9:30", "AM9:30", "午前9時30分"},
        {12, "12:30", "AM12:30", "午前12時30分"}, {13, "13:30", "PM1:30", "午後1時30分"},
        {23, "23:30", "PM11:30", "午後11時30分"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(timeOnly(at(r.hour, 30), 0, false), QString::fromUtf8(r.f0)) << r.hour;
        EXPECT_EQ(timeOnly(at(r.hour, 30), 1, false), QString::fromUtf8(r.f1)) << r.hour;
        EXPECT_EQ(timeOnly(at(r.hour, 30), 2, false), QString::fromUtf8(r.f2)) << r.hour;
    }
}

TEST(StampText, LeadingZerosEverywhereButTheHour) {
    const QDateTime m(QDate(2027, 1, 2), QTime(9, 5, 3));
    EXPECT_EQ(StampText(m, true, false, true, true, 1, 0), "2027/01/02  9:05:03");
    EXPECT_EQ(timeOnly(m, 1, true), "AM9:05:03");
    EXPECT_EQ(timeOnly(m, 2, true), QStringLiteral("午前9時05分03秒"));
}

TEST(StampText, MidnightAndNoon) {
    EXPECT_EQ(timeOnly(at(0, 0, 0), 0, true), "0:00:00");
    EXPECT_EQ(timeOnly(at(0, 0, 0), 1, false), "AM0:00");
    EXPECT_EQ(timeOnly(at(0, 0, 0), 2, false), QStringLiteral("午前0時00分"));
    EXPECT_EQ(timeOnly(at(12, 5), 1, false), "AM12:05");
    EXPECT_EQ(timeOnly(at(12, 5), 2, false), QStringLiteral("午前12時05分"));
    EXPECT_EQ(timeOnly(at(13, 5), 1, false), "PM1:05");
    EXPECT_EQ(timeOnly(at(13, 5), 2, false), QStringLiteral("午後1時05分"));
}

TEST(StampText, SundayAndTheWeekdayOfTheSameReading) {
    // Sunday 1 March 2026, one second before midnight: the weekday belongs to this date.
    const QDateTime sunday(QDate(2026, 3, 1), QTime(23, 59, 59));
    EXPECT_EQ(StampText(sunday, true, true, true, true, 0, 0), "26/03/01(Sun) 23:59:59");
    EXPECT_EQ(StampText(sunday, true, true, false, false, 3, 0), QStringLiteral("03月01日(日)"));
    const QDateTime monday = sunday.addSecs(1);
    EXPECT_EQ(StampText(monday, true, true, true, false, 0, 0), "26/03/02(Mon) 0:00");
}

TEST(StampText, FormatIndexesPastTheLast) {
    // Date on with no date format: no text, no weekday, but the separating blank stays.
    EXPECT_EQ(StampText(kExample, true, true, true, false, 4, 0), " 18:07");
    EXPECT_EQ(StampText(kExample, true, true, true, false, 255, 0), " 18:07");
    EXPECT_EQ(StampText(kExample, true, true, false, false, 4, 0), "");
    // Time on with no time format: nothing, seconds not looked at; the blank ends the stamp.
    EXPECT_EQ(StampText(kExample, true, false, true, true, 0, 3), "26/03/05 ");
    EXPECT_EQ(StampText(kExample, false, false, true, true, 0, 200), "");
}

TEST(StampText, YearsShorterAndLongerThanFourDigits) {
    // YY is the year's text less its first two characters.
    EXPECT_EQ(dateOnly(0, false).left(2), "26");
    const QDateTime y999(QDate(999, 12, 31), QTime(1, 2, 3));
    EXPECT_EQ(StampText(y999, true, false, false, false, 0, 0), "9/12/31");
    EXPECT_EQ(StampText(y999, true, false, false, false, 1, 0), "999/12/31 ");
}
