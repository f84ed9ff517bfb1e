// A page setup with every setting away from its default, for the tests of its text form and
// of the dialog that edits it.
#pragma once

#include "print/page_setup.h"

namespace verlo::test {

inline print::PageSetup everySettingChanged() {
    print::PageSetup s;
    s.paper = QPageSize::JisB5;
    s.landscape = false;
    s.vertical = false;
    s.chars = 33;
    s.lines = 17;
    s.fontFamily = QStringLiteral("IPAMincho");
    s.fontSize = 10.5;
    s.marginTop = 11;
    s.marginBottom = 12.5;
    s.marginLeft = 13;
    s.marginRight = 14;
    s.numbers = print::NumberPlace::TopOutside;
    s.numberFormat = QStringLiteral("第#頁;=");
    s.titleLines = true;
    s.author = QStringLiteral("夏目 漱石 %20");
    s.grid = true;
    s.hang = false;
    return s;
}

}  // namespace verlo::test
