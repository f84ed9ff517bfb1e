// Where the program keeps what it writes for itself between runs (not settings, not
// caches): $XDG_STATE_HOME/Verlo, by default ~/.local/state/Verlo.
#pragma once

#include <string>

namespace verlo::files {

// The folder for the copies of unsaved texts kept against a crash: <state>/recovery.
// A native path; the folder may not exist yet.
std::string recoveryFolder();
// The folder of texts given up at the save prompt, kept for a while: <state>/discarded.
std::string discardedFolder();

}  // namespace verlo::files
