// The encryption commands on the command line, without the window system:
//
//   verlo --encrypt [--key-file F] [FILE]
//   verlo --decrypt [--key-file F] [--output-encoding ENC] [FILE]
//
// Reads FILE (or standard input when FILE is absent or "-") and writes to standard output
// what the editor would put in the document: the encrypted text form (one line of Base64,
// no line break added) of the text as the editor opens the file (its encoding found, the
// CP932 form encrypted; a character CP932 cannot hold is refused), or the decrypted text
// in CP932, or in ENC when asked (files/text_format.h ids). The key is the first line of F
// read like a document (its encoding found; a line break ends it), or without F it is read
// from the terminal (/dev/tty) without echo, in the terminal's encoding, asked twice when
// encrypting. The key is converted to the code page as the key box's is; a character the
// code page cannot hold is refused.
//
// Exit status: 0 done; 1 the text does not decrypt with the key, or is a fragment too short
// to hold anything ("だめです" on standard error, nothing on standard output); 2 anything
// else (usage, unreadable input or key file, a key that cannot be converted, no terminal
// to ask, a failed write).
#pragma once

#include <optional>
#include <string>

namespace verlo::cli {

// Call first thing in main(), before any QApplication exists. When the arguments ask for
// --encrypt or --decrypt (before any "--"), runs the command and returns its exit status;
// otherwise returns std::nullopt and has done nothing. Needs no display.
std::optional<int> runCryptCommandLine(int argc, char** argv);

// The lines of the program's --help that describe the two commands (UTF-8, each line
// ending with a line break).
std::string cryptCommandLineHelp();

}  // namespace verlo::cli
