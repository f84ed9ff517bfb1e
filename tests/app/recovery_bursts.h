// What the typist (recovery_typist.cpp) types, burst by burst, for the recovery tests.
#pragma once

#include <QString>
#include <QStringList>

namespace verlo::app::testing {

inline QStringList typedBursts() {
    QStringList bursts;
    for (int i = 0; i < 12; ++i)
        bursts << QStringLiteral("吾輩は猫である%1。名前はまだ無い。\nどこで生れたかtonと見当がつかぬ。").arg(i);
    return bursts;
}

}  // namespace verlo::app::testing
