// The program-wide settings that live in memory for the whole run, named after their
// stored values; the main window owns them. The window bounds, the opacity value, the font
// and the background colour live in the window and the edit control themselves. The start-up
// read and the closing write (stored_settings.h) move all of them between the settings file
// (settings_store.h) and those homes.
#pragma once

#include <cstdint>
#include <string>

namespace verlo::settings {

struct Settings {
    std::int32_t VerHor = 0;   // 1 vertical writing; any other value horizontal
    std::int32_t Gyou = 40;    // characters per line, for fitting the width
    std::int32_t Retsu = 20;   // characters per column, for fitting the height
    std::uint8_t DayTime = 5;  // stamp switches: 1 date, 2 weekday, 4 time, 8 seconds
    std::uint8_t FormDay = 0;  // date format index
    std::uint8_t FormTime = 0; // time format index
    bool Ruby = false;         // ruby and emphasis drawn from their notation (表示 › ルビを表示)
    std::string Encoding = "Shift_JIS";  // new documents' file encoding (files/text_format.h ids)
    std::string LineBreak = "CRLF";      // new documents' line break

    bool operator==(const Settings&) const = default;
};

}  // namespace verlo::settings
