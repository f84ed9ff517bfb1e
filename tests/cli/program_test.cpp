// The program's own command line, as a user types it: --help, --version and an unknown
// option answer without a display and without starting the window system.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>

#include "support/pdf_tools.h"
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

TEST_F(ProgramCommandLine, PdfIsWrittenWithoutADisplay) {
    // The stored page setup is read from a settings folder of the test's own.
    const fs::path dir = fs::temp_directory_path() / ("verlo-pdf-test-" + std::to_string(::getpid()));
    fs::create_directories(dir / "config");
    ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    const std::string in = verlo::test::samplePath().string();
    const std::string out = (dir / "neko.pdf").string();
    struct Case {
        std::string args;
        int status;
        const char* message;  // on standard error, or nothing
    };
    const Case cases[] = {
        {"--pdf '" + out + "' '" + in + "'", 0, nullptr},
        {"--pdf='" + out + "' --format 20x20 '" + in + "'", 0, nullptr},
        {"--pdf '" + out + "' --format 15x5 '" + in + "'", 0, nullptr},
        {"--pdf '" + out + "' --format 40 '" + in + "'", 2, "--format"},
        {"--pdf '" + out + "'", 2, "テキストファイル"},
        {"--pdf", 2, "--pdf"},
        {"--pdf '" + out + "' '" + (dir / "missing.txt").string() + "'", 1, "missing.txt"},
        {"--pdf '" + (dir / "no" / "x.pdf").string() + "' '" + in + "'", 1, "作成できません"},
    };
    for (const Case& c : cases) {
        fs::remove(out);
        const Result r = runHeadless(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
        EXPECT_EQ(fs::exists(out), c.status == 0) << c.args;
        if (c.message) {
            EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
        }
        if (c.status == 0) {
            EXPECT_EQ(readBytes(out).rfind("%PDF-1.7", 0), 0u) << c.args;
            EXPECT_TRUE(verlo::test::passesQpdfCheck(out)) << c.args;
        }
    }
    // A UTF-8 file is read as the editor opens it, characters Shift-JIS lacks included.
    const fs::path utf8 = dir / "utf8.txt";
    std::ofstream(utf8) << "𠮷野家の髙橋さん\n";
    ASSERT_EQ(runHeadless("--pdf '" + out + "' '" + utf8.string() + "'").status, 0);
    EXPECT_TRUE(verlo::test::passesQpdfCheck(out));
    const fs::path text = dir / "utf8-text.txt";
    ASSERT_EQ(std::system(("pdftotext -enc UTF-8 '" + out + "' '" + text.string() + "'").c_str()), 0);
    EXPECT_NE(readBytes(text).find("𠮷野家の髙橋さん"), std::string::npos) << readBytes(text);
    // Ruby is set as the editor last showed it, unless an option says otherwise.
    const fs::path ruby = dir / "ruby.txt";
    std::ofstream(ruby) << "｜青空《あおぞら》\n";
    for (const auto& [stored, option, read] :
         {std::tuple{"on", "", "青空\n"}, std::tuple{"on", "--no-ruby", "｜青空《あおぞら》\n"},
          std::tuple{"off", "", "｜青空《あおぞら》\n"}, std::tuple{"off", "--ruby", "青空\n"}}) {
        fs::create_directories(dir / "config" / "Tarnvel");
        std::ofstream(dir / "config" / "Tarnvel" / "Verlo.ini") << "[Window]\nRuby=" << stored << "\n";
        ASSERT_EQ(runHeadless("--pdf '" + out + "' " + option + " '" + ruby.string() + "'").status, 0) << option;
        EXPECT_TRUE(verlo::test::passesQpdfCheck(out)) << option;
        ASSERT_EQ(std::system(("pdftotext -enc UTF-8 -l 1 '" + out + "' '" + text.string() + "'").c_str()), 0);
        EXPECT_EQ(readBytes(text).rfind(read, 0), 0u) << stored << " " << option << ": " << readBytes(text);
    }
    ::unsetenv("XDG_CONFIG_HOME");
    fs::remove_all(dir);
}

}  // namespace
