// The program's own command line, as a user types it: --help, --version and an unknown
// option answer without a display and without starting the window system.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/test_text.h"

namespace fs = std::filesystem;

namespace {

const std::string kVerlo = VERLO_BINARY_DIR "/verlo";

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

using verlo::test::readBytes;

// Runs verlo with the arguments (already shell-quoted) and no display: a program that tried
// to open one would fail here.
Result runHeadless(const std::string& args) {
    const fs::path dir = fs::temp_directory_path() / ("verlo-program-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb '" + kVerlo + "' " + args +
                                " >'" + (dir / "out").string() + "' 2>'" + (dir / "err").string() + "' </dev/null";
    const int raw = std::system(command.c_str());
    Result r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    r.out = readBytes(dir / "out");
    r.err = readBytes(dir / "err");
    fs::remove_all(dir);
    return r;
}

class ProgramCommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kVerlo)) << kVerlo << " is missing: the build makes it before this test";
    }
};

TEST_F(ProgramCommandLine, HelpNamesTheOptionsAndWhereThingsLive) {
    const Result r = runHeadless("--help");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("verlo [FILE]"), std::string::npos);
    EXPECT_NE(r.out.find("--version"), std::string::npos);
    EXPECT_NE(r.out.find("--encrypt"), std::string::npos);
    EXPECT_NE(r.out.find("--decrypt"), std::string::npos);
    EXPECT_NE(r.out.find("Tarnvel/Verlo.ini"), std::string::npos);
    EXPECT_NE(r.out.find("print.html"), std::string::npos);
    EXPECT_EQ(r.err, "");
}

TEST_F(ProgramCommandLine, VersionNamesTheProgramAndTheBuild) {
    const Result r = runHeadless("--version");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Verlo 1.03 (build ", 0), 0u) << r.out;
    EXPECT_EQ(r.out.back(), '\n');
}

TEST_F(ProgramCommandLine, UnknownOptionIsRefusedWithStatusTwo) {
    const Result r = runHeadless("--bogus");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--bogus"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    // A short form is no exception, and the toolkit's own options do not hide it.
    EXPECT_EQ(runHeadless("-zz").status, 2);
    EXPECT_EQ(runHeadless("-style Fusion --bogus").status, 2);
}

}  // namespace
