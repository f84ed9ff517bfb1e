// The editor's command line: verlo [--help | --version] [--] [FILE]
//
// The first argument that is not an option names the file to open; further arguments are
// ignored. "--" ends the options, so a name starting with "-" is given after it (or as
// ./-name). A lone "-" is a file name. The windowless commands (--encrypt and --decrypt,
// cli/crypt_tool.h; --pdf, cli/pdf_tool.h) are handled before this.
#pragma once

#include <QString>
#include <QStringList>

namespace verlo::cli {

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString file;   // empty when none was given
    QString error;  // for Action::Error: the message for standard error
};

// args without the program's own name (argv[1] on).
CommandLine parseCommandLine(const QStringList& args);

// The text --help prints (without the encryption commands' lines) and --version prints.
QString commandLineHelp();
QString versionText();

}  // namespace verlo::cli
