// The editor's command line.
#include <gtest/gtest.h>

#include "cli/command_line.h"

using verlo::cli::CommandLine;
using verlo::cli::commandLineHelp;
using verlo::cli::parseCommandLine;

TEST(CommandLine, FirstNonOptionArgumentIsTheFile) {
    EXPECT_EQ(parseCommandLine({}).file, "");
    EXPECT_EQ(parseCommandLine({}).action, CommandLine::Action::Run);
    EXPECT_EQ(parseCommandLine({"a.txt"}).file, "a.txt");
    EXPECT_EQ(parseCommandLine({"a.txt", "b.txt"}).file, "a.txt");
    EXPECT_EQ(parseCommandLine({"a.txt", "--bogus"}).action, CommandLine::Action::Run);
    EXPECT_EQ(parseCommandLine({"-"}).file, "-");
    EXPECT_EQ(parseCommandLine({"./-x.txt"}).file, "./-x.txt");
}

TEST(CommandLine, DoubleDashEndsOptions) {
    EXPECT_EQ(parseCommandLine({"--", "-x.txt"}).file, "-x.txt");
    EXPECT_EQ(parseCommandLine({"--", "--help"}).file, "--help");
    EXPECT_EQ(parseCommandLine({"--", "--help"}).action, CommandLine::Action::Run);
}

TEST(CommandLine, HelpSaysWhereTheRecoveryCopiesLive) {
    qputenv("XDG_STATE_HOME", "/tmp/state-here");
    EXPECT_TRUE(commandLineHelp().contains(QStringLiteral("いまは /tmp/state-here/Verlo/recovery")));
    qputenv("XDG_STATE_HOME", "relative/is/ignored");
    qputenv("HOME", "/home/writer");
    EXPECT_TRUE(commandLineHelp().contains(QStringLiteral("いまは /home/writer/.local/state/Verlo/recovery")));
}

TEST(CommandLine, HelpVersionAndUnknownOptions) {
    EXPECT_EQ(parseCommandLine({"--help"}).action, CommandLine::Action::Help);
    EXPECT_EQ(parseCommandLine({"-h"}).action, CommandLine::Action::Help);
    EXPECT_EQ(parseCommandLine({"--version"}).action, CommandLine::Action::Version);
    const CommandLine bad = parseCommandLine({"-x.txt"});
    EXPECT_EQ(bad.action, CommandLine::Action::Error);
    EXPECT_TRUE(bad.error.contains("-x.txt"));
}

TEST(CommandLine, ToolkitOptionsAreNotTakenForTheFile) {
    EXPECT_EQ(parseCommandLine({"-style", "Fusion", "a.txt"}).file, "a.txt");
    EXPECT_EQ(parseCommandLine({"--platform", "offscreen", "a.txt"}).file, "a.txt");
    EXPECT_EQ(parseCommandLine({"-platform=xcb", "a.txt"}).file, "a.txt");
    EXPECT_EQ(parseCommandLine({"-reverse", "a.txt"}).file, "a.txt");
    EXPECT_EQ(parseCommandLine({"-style", "Fusion", "-x"}).action, CommandLine::Action::Error);
}
