#include "files/state_folder.h"

#include <cstdlib>

namespace verlo::files {

namespace {

std::string stateFolder() {
    // As the base-directory rules say: a relative XDG_STATE_HOME is ignored.
    const char* state = std::getenv("XDG_STATE_HOME");
    std::string base;
    if (state && state[0] == '/') {
        base = state;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && home[0] ? home : "") + "/.local/state";
    }
    return base + "/Verlo";
}

}  // namespace

std::string recoveryFolder() { return stateFolder() + "/recovery"; }

std::string discardedFolder() { return stateFolder() + "/discarded"; }

}  // namespace verlo::files
