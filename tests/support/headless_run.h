// The built program run as a user types it, without a display: a program that tried to open
// one would fail here.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/test_text.h"

namespace verlo::test {

inline const std::string kVerlo = VERLO_BINARY_DIR "/verlo";

struct ProgramResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs verlo with the arguments (already shell-quoted), standard input empty.
inline ProgramResult runHeadless(const std::string& args) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("verlo-program-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb '" + kVerlo + "' " + args +
                                " >'" + (dir / "out").string() + "' 2>'" + (dir / "err").string() + "' </dev/null";
    const int raw = std::system(command.c_str());
    ProgramResult r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    r.out = readBytes(dir / "out");
    r.err = readBytes(dir / "err");
    fs::remove_all(dir);
    return r;
}

}  // namespace verlo::test
