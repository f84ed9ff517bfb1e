// The program's own command line, as a user types it: --help, --version and an unknown
// option answer without a display and without starting the window system.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/headless_run.h"

namespace fs = std::filesystem;

namespace {

using Result = verlo::test::ProgramResult;
using verlo::test::kVerlo;
using verlo::test::runHeadless;

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
