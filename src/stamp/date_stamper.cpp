// The stamp command: one clock reading, the switches as they stand, the selection replaced.
#include <QTime>
#include <string>

#include "edit/edit_control.h"
#include "settings/settings.h"
#include "stamp/date_stamp.h"

namespace verlo::stamp {

QDateTime ReadClock() {
    QDateTime now = QDateTime::currentDateTime();
    const QTime t = now.time();
    now.setTime(QTime(t.hour(), t.minute(), t.second()));  // dropped, not rounded
    return now;
}

DateStamper::DateStamper(edit::EditControl& memo2, const settings::Settings& settings, SwitchSource switches,
                         Clock clock)
    : memo2_(memo2), settings_(settings), switches_(std::move(switches)), clock_(std::move(clock)) {}

void DateStamper::stamp() {
    const QDateTime moment = clock_();
    const StampSwitches on = switches_ ? switches_() : StampSwitches{};
    const QString stamp = StampText(moment, on.dateOn, on.weekdayOn, on.timeOn, on.secondsOn, settings_.FormDay,
                                    settings_.FormTime);

    // Every character a stamp can hold is in the code page; the document's own encoding
    // keeps each as the very character it is.
    const auto encoded = memo2_.document().standIns().encode(
        std::u16string_view(reinterpret_cast<const char16_t*>(stamp.utf16()), static_cast<std::size_t>(stamp.size())));
    if (!encoded.ok()) return;

    // Nothing to put in and nothing to take out: the text, and with it the undo history,
    // stays as it was.
    if (encoded.bytes.empty() && memo2_.selLength() == 0) return;
    memo2_.replaceSelection(encoded.bytes, /*canUndo=*/false);
}

}  // namespace verlo::stamp
