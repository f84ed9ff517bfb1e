// verlo --outline as a user runs it: the built program without a display, a file in another
// encoding than the document's, the conventions stored in the settings file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/headless_run.h"
#include "support/test_text.h"

namespace fs = std::filesystem;
using verlo::test::iconvert;
using verlo::test::runHeadless;
using verlo::test::writeBytes;

TEST(OutlineCommandLine, PrintsEachHeadingWithItsSectionFromAFileInItsOwnEncoding) {
    const fs::path dir = fs::temp_directory_path() / ("verlo-outline-test-" + std::to_string(::getpid()));
    fs::create_directories(dir / "config");
    ASSERT_EQ(::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1), 0);
    const std::string text = "前書き\n第一部　春\n第一章　雨の夜\n雨が降っていた。\n第二章 再会\n晴れ。\n";
    writeBytes(dir / "novel.txt", "\xFF\xFE" + iconvert("UTF-8", "UTF-16LE", text));

    const verlo::test::ProgramResult r = runHeadless("--outline '" + (dir / "novel.txt").string() + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    // Level, line, characters of the section (line breaks not counted), manuscript pages, text.
    EXPECT_EQ(r.out, "1\t2\t29\t0.3\t第一部　春\n"
                     "2\t3\t15\t0.1\t第一章　雨の夜\n"
                     "2\t5\t9\t0.1\t第二章 再会\n");
    EXPECT_EQ(r.err, "");

    // Only the conventions switched on are read.
    fs::create_directories(dir / "config/Tarnvel");
    writeBytes(dir / "config/Tarnvel/Verlo.ini", "[Outline]\nHeadings=hashes\n");
    EXPECT_EQ(runHeadless("--outline '" + (dir / "novel.txt").string() + "'").out, "");

    const verlo::test::ProgramResult missing = runHeadless("--outline '" + (dir / "missing.txt").string() + "'");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("missing.txt"), std::string::npos) << missing.err;
    EXPECT_EQ(missing.out, "");
    fs::remove_all(dir);
}
