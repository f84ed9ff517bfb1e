// The values of an INI file that QSettings would decode into something other than text.
//
// QSettings turns a value written as @Variant(...) or @DateTime(...) into an object read
// through QDataStream, and @ByteArray(...) into bytes, as soon as it parses the section that
// holds the value, whatever key is asked for. Bytes that did not come from QDataStream can
// ask it for gigabytes. The store keeps every value as text, so such values (plain, quoted,
// escaped, or as items of a comma list) are taken out of the bytes before QSettings sees
// them, by the rules QSettings uses to split an INI file into lines, keys and values.
#pragma once

#include <QSet>
#include <QString>
#include <string>
#include <string_view>

namespace verlo::settings {

struct ScreenedIni {
    std::string bytes;      // the file without the lines that hold such values
    QSet<QString> refused;  // their keys as "Section/Name" (text as it stands in the file)
};

ScreenedIni screenTypedValues(std::string_view bytes);

}  // namespace verlo::settings
