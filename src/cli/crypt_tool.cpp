#include "cli/crypt_tool.h"

#include <QStringDecoder>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <optional>
#include <string_view>
#include <termios.h>
#include <unistd.h>
#include <variant>

#include "cipher/text_cipher.h"
#include "cipher/key_text.h"
#include "cipher/wipe.h"
#include "files/file_io.h"

namespace verlo::cli {

namespace {

using cipher::secureFill;

constexpr std::string_view kUsageHint = "詳しくは verlo --help を見てください。";

bool writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A line on standard error, after the program's name unless bare.
void say(std::string_view message, bool bare = false) {
    std::string line = bare ? "" : "verlo: ";
    line += message;
    line += '\n';
    writeAll(STDERR_FILENO, line);
}

int usageError(std::string_view message) {
    say(message);
    say(kUsageHint);
    return kExitTrouble;
}

std::string errnoText(int error) { return std::strerror(error); }

// The contents of path (a pipe too); false with a message in error.
bool readFile(const std::string& path, std::string& out, std::string& error) {
    int failure = 0;
    std::optional<std::string> bytes = files::readNativeFile(path, files::FileKind::Any, &failure);
    if (!bytes) {
        error = "「" + path + "」を読めません: " + errnoText(failure);
        return false;
    }
    out = std::move(*bytes);
    return true;
}

// Strict UTF-8 to QString; nullopt when the bytes are not UTF-8.
std::optional<QString> fromUtf8(std::string_view bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError()) return std::nullopt;
    return text;
}

// ---- the key from the terminal, without echo

// The terminal's settings while echo is off, for a signal that ends the program then.
int gTerminal = -1;
termios gSavedTerminal;
const int kRestoredSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction gSavedActions[std::size(kRestoredSignals)];

extern "C" void restoreTerminalAndRaise(int signal) {
    if (gTerminal >= 0) ::tcsetattr(gTerminal, TCSAFLUSH, &gSavedTerminal);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

class EchoOff {
public:
    explicit EchoOff(int fd) : fd_(fd) {
        if (::tcgetattr(fd, &gSavedTerminal) != 0) return;
        gTerminal = fd;
        struct sigaction action{};
        action.sa_handler = restoreTerminalAndRaise;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(kRestoredSignals); ++i)
            ::sigaction(kRestoredSignals[i], &action, &gSavedActions[i]);
        termios quiet = gSavedTerminal;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL);
        quiet.c_lflag |= ICANON;
        active_ = ::tcsetattr(fd, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (gTerminal < 0) return;
        ::tcsetattr(fd_, TCSAFLUSH, &gSavedTerminal);
        for (std::size_t i = 0; i < std::size(kRestoredSignals); ++i)
            ::sigaction(kRestoredSignals[i], &gSavedActions[i], nullptr);
        gTerminal = -1;
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;
    bool active() const { return active_; }

private:
    int fd_;
    bool active_ = false;
};

enum class Typed { Line, Ended, EchoStays };

// One line typed on the terminal without echo, its line break dropped.
Typed readHiddenLine(int fd, std::string_view prompt, std::string& line) {
    Typed result = Typed::Ended;
    {
        EchoOff echoOff(fd);  // before the prompt, so that nothing typed after it shows
        if (!echoOff.active()) return Typed::EchoStays;
        writeAll(fd, prompt);
        char c;
        for (;;) {
            const ssize_t n = ::read(fd, &c, 1);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            if (c == '\n') {
                result = Typed::Line;
                break;
            }
            line += c;
        }
    }
    writeAll(fd, "\n");
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return result;
}

struct Options {
    bool encrypt = false;
    bool decrypt = false;
    std::optional<std::string> keyFile;
    std::optional<std::string> input;  // nullopt: standard input
};

// The key as UTF-8 text (from the key file or the terminal), or an exit status.
std::variant<std::string, int> keyText(const Options& options) {
    if (options.keyFile) {
        std::string contents, error;
        if (!readFile(*options.keyFile, contents, error)) {
            say(error);
            return kExitTrouble;
        }
        std::string_view line = contents;
        line = line.substr(0, line.find('\n'));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
        std::string key(line);
        secureFill(contents.data(), contents.size(), 0);
        return key;
    }
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) {
        say("鍵を尋ねる端末がありません。--key-file で鍵のファイルを指定してください。");
        return kExitTrouble;
    }
    std::string key, again;
    Typed typed = readHiddenLine(tty, "鍵: ", key);
    bool same = true;
    if (typed == Typed::Line && options.encrypt) {
        typed = readHiddenLine(tty, "もう一度 鍵: ", again);
        same = again == key;
    }
    ::close(tty);
    secureFill(again.data(), again.size(), 0);
    if (typed != Typed::Line || !same) {
        secureFill(key.data(), key.size(), 0);
        say(typed == Typed::EchoStays ? "端末の表示を止められないので、鍵を尋ねません。--key-file を使ってください。"
            : typed == Typed::Ended   ? "鍵の入力が終わりませんでした。何もしませんでした。"
                                      : "二度の鍵が違います。何もしませんでした。");
        return kExitTrouble;
    }
    return key;
}

int run(const Options& options) {
    std::variant<std::string, int> utf8Key = keyText(options);
    if (const int* status = std::get_if<int>(&utf8Key)) return *status;
    std::string& utf8 = std::get<std::string>(utf8Key);
    const std::optional<QString> key = fromUtf8(utf8);
    secureFill(utf8.data(), utf8.size(), 0);
    if (!key) {
        say(options.keyFile ? "鍵のファイル「" + *options.keyFile + "」の1行目が UTF-8 ではありません。"
                            : std::string("入力された鍵が UTF-8 ではありません。"));
        return kExitTrouble;
    }
    cipher::KeyBytes keyBytes = cipher::keyBytesFromText(
        std::u16string_view(reinterpret_cast<const char16_t*>(key->utf16()), static_cast<std::size_t>(key->size())));
    if (!keyBytes.ok()) {
        say(cipher::unencodableKeyMessage(keyBytes.unencodable));
        return kExitTrouble;
    }

    std::string input;
    if (options.input) {
        std::string error;
        if (!readFile(*options.input, input, error)) {
            say(error);
            return kExitTrouble;
        }
    } else if (!files::readAll(STDIN_FILENO, input)) {
        say("標準入力を読めません: " + errnoText(errno));
        return kExitTrouble;
    }

    std::string output;
    if (options.encrypt) {
        output = cipher::EncryptText(input, keyBytes.bytes);
    } else {
        std::optional<std::string> plain = cipher::DecryptForDocument(input, keyBytes.bytes);
        if (!plain) {
            secureFill(keyBytes.bytes.data(), keyBytes.bytes.size(), 0);
            say("だめです", true);
            return kExitWrongKey;
        }
        output = std::move(*plain);
    }
    secureFill(keyBytes.bytes.data(), keyBytes.bytes.size(), 0);
    if (!writeAll(STDOUT_FILENO, output)) {
        say("標準出力に書けません: " + errnoText(errno));
        return kExitTrouble;
    }
    return 0;
}

}  // namespace

std::optional<int> runCryptCommandLine(int argc, char** argv) {
    bool asked = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") break;
        if (arg == "--encrypt" || arg == "--decrypt") asked = true;
    }
    if (!asked) return std::nullopt;

    Options options;
    bool optionsEnded = false;
    bool inputGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--encrypt") {
            options.encrypt = true;
        } else if (!optionsEnded && arg == "--decrypt") {
            options.decrypt = true;
        } else if (!optionsEnded && (arg == "--key-file" || arg.starts_with("--key-file="))) {
            if (options.keyFile) return usageError("--key-file は一度だけ指定できます。");
            if (arg == "--key-file") {
                if (i + 1 >= argc) return usageError("--key-file の後に鍵のファイルを指定してください。");
                options.keyFile = argv[++i];
            } else {
                options.keyFile = std::string(arg.substr(std::strlen("--key-file=")));
            }
        } else if (!optionsEnded && arg == "--help") {
            writeAll(STDOUT_FILENO, cryptCommandLineHelp());
            return 0;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return usageError("知らないオプションです: " + std::string(arg));
        } else {
            if (inputGiven) return usageError("入力のファイルは一つだけ指定できます。");
            inputGiven = true;
            if (optionsEnded || arg != "-") options.input = std::string(arg);
        }
    }
    if (options.encrypt && options.decrypt) return usageError("--encrypt と --decrypt は一緒に使えません。");
    return run(options);
}

std::string cryptCommandLineHelp() {
    return "  verlo --encrypt [--key-file F] [FILE]\n"
           "      FILE (ないときや - のときは標準入力) を暗号化して、一行の暗号文を標準出力に書きます。\n"
           "  verlo --decrypt [--key-file F] [FILE]\n"
           "      暗号文を復号化して標準出力に書きます。鍵が合わなければ「だめです」と言って\n"
           "      何も書かず、終了コード 1 で終わります。\n"
           "  --key-file F\n"
           "      鍵を F の1行目 (UTF-8) から読みます。ないときは端末で尋ねます (表示しません)。\n"
           "      鍵は Shift-JIS に直して使います。Shift-JIS で表せない文字があれば終了コード 2。\n";
}

}  // namespace verlo::cli
