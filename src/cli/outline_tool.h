// The command line that prints a manuscript's headings without a window:
//   verlo --outline FILE
// One line per heading, its fields separated by tabs: the level (1 to 3), the line it is on
// (1-based, the file's own lines), the characters of its section (as the count box counts
// them), the section's manuscript pages to one decimal, and the heading's text in UTF-8.
// FILE is read in its own encoding, as the editor opens it; the headings are those the
// editor's outline reads (the conventions stored in the settings file).
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

#include "outline/headings.h"
#include "text/stand_ins.h"

namespace verlo::cli {

// True when the arguments (without the program's name) ask for the outline: --outline comes
// before any "--". The caller then makes a core application (no display) and runs it.
bool asksForOutline(const QStringList& args);

// Runs it: 0 when the headings were printed, 2 when the command line is not valid or the
// file cannot be read (a message on standard error).
int runOutlineCommandLine(const QStringList& args);

// The lines it prints for a document's bytes (CP932, with what its stand-ins stand for).
std::string outlineLines(std::string_view bytes, const text::StandIns& standIns, const outline::HeadingRules& rules);

// The lines --help prints for it.
QString outlineCommandLineHelp();

}  // namespace verlo::cli
