// The date and time stamp (F5): weekday names, the stamp text for one clock reading, and
// the command that puts the stamp in place of the selection.
//
// The stamp is built as Unicode text; the command encodes it to the code page (every
// character a stamp can hold, 年月日時分秒午前午後 and the kanji weekdays, exists there).
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <iterator>

namespace verlo::settings {
struct Settings;
}
namespace verlo::edit {
class EditControl;
}

namespace verlo::stamp {

// The weekday of `date`: false gives "Mon" "Tue" "Wed" "Thr" "Fri" "Sat" "Sun",
// true gives 月 火 水 木 金 土 日.
QString WeekdayName(bool kanji, const QDate& date);
QString WeekdayName(bool kanji, const QDateTime& moment);

// The formats by index, as the settings dialog offers them: date formats (FormDay) 0 to 3
// and time formats (FormTime) 0 to 2. Any other index gives no text for that part.
inline constexpr const char* kDateFormatNames[] = {"YY/MM/DD", "YYYY/MM/DD", "YYYY年MM月DD日", "MM月DD日"};
inline constexpr const char* kTimeFormatNames[] = {"18:30", "PM 6:30", "午後6時30分"};
inline constexpr int kDateFormatCount = static_cast<int>(std::size(kDateFormatNames));
inline constexpr int kTimeFormatCount = static_cast<int>(std::size(kTimeFormatNames));

// The stamp for one moment (fractions of a second are ignored). Pure.
QString StampText(const QDateTime& moment, bool dateOn, bool weekdayOn, bool timeOn, bool secondsOn,
                  std::uint8_t formDay, std::uint8_t formTime);

// The four switches as the settings dialog's check boxes hold them at one moment.
struct StampSwitches {
    bool dateOn = false;     // CheckBox1
    bool weekdayOn = false;  // CheckBox2
    bool timeOn = false;     // CheckBox3
    bool secondsOn = false;  // CheckBox4
};

// One reading of the local clock, to the second (the fraction dropped).
QDateTime ReadClock();

// The stamp command. Each run reads the clock once, then the switches (from the settings
// dialog's check boxes, through `switches`), then FormDay and FormTime from the settings,
// and replaces the selection of memo2 with the stamp, not undoable. An empty stamp deletes
// the selection; with nothing selected it leaves the text (and its undo history) alone.
class DateStamper {
public:
    using SwitchSource = std::function<StampSwitches()>;
    using Clock = std::function<QDateTime()>;

    DateStamper(edit::EditControl& memo2, const settings::Settings& settings, SwitchSource switches,
                Clock clock = ReadClock);

    // F5 / "時間と日付".
    void stamp();

private:
    edit::EditControl& memo2_;
    const settings::Settings& settings_;
    SwitchSource switches_;
    Clock clock_;
};

}  // namespace verlo::stamp
