// verlo --pdf as a user runs it, without a display: the exit status, the messages, and that
// the pages follow the stored settings and the options (what is on the pages is tested in
// tests/print/).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "support/headless_run.h"
#include "support/pdf_tools.h"

namespace fs = std::filesystem;

namespace {

using verlo::test::readBytes;
using verlo::test::runHeadless;
using Result = verlo::test::ProgramResult;

TEST(PdfCommandLine, PdfIsWrittenWithoutADisplay) {
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
