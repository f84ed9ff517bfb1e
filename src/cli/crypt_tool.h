// The encryption commands on the command line, without the window system:
//
//   verlo --encrypt [--key-file F] [FILE]
//   verlo --decrypt [--key-file F] [FILE]
//
// Reads FILE (or standard input when FILE is absent or "-"), byte for byte, and writes to
// standard output exactly what the editor would put in the document: the encrypted text
// form (one line of Base64, no line break added), or the decrypted text. The key is the
// first line of F (UTF-8; a line break, CR LF or LF, ends it and is not part of it; a
// leading byte-order mark is dropped), or without F it is read from the terminal
// (/dev/tty) without echo, asked twice when encrypting. The key is converted to the code
// page as the key box's is; a character the code page cannot hold is refused.
//
// Exit status: 0 done; 1 the text does not decrypt with the key, or is a fragment too short
// to hold anything ("だめです" on standard error, nothing on standard output); 2 anything
// else (usage, unreadable input or key file, a key that cannot be converted, no terminal
// to ask, a failed write).
#pragma once

#include <optional>
#include <string>

namespace verlo::cli {

inline constexpr int kExitWrongKey = 1;
inline constexpr int kExitTrouble = 2;

// Call first thing in main(), before any QApplication exists. When the arguments ask for
// --encrypt or --decrypt (before any "--"), runs the command and returns its exit status;
// otherwise returns std::nullopt and has done nothing. Needs no display.
std::optional<int> runCryptCommandLine(int argc, char** argv);

// The lines of the program's --help that describe the two commands (UTF-8, each line
// ending with a line break).
std::string cryptCommandLineHelp();

}  // namespace verlo::cli
