#include "cli/crypt_tool.h"

#include <QStringDecoder>
#include <cerrno>
#include <clocale>
#include <iconv.h>
#include <langinfo.h>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <optional>
#include <string_view>
#include <termios.h>
#include <unistd.h>
#include <variant>

#include "cipher/key_text.h"
#include "cipher/wipe.h"
#include "cli/crypt_stream.h"
#include "cli/tool_io.h"
#include "files/text_file.h"

namespace verlo::cli {

namespace {

using cipher::secureFill;

constexpr std::string_view kUsageHint = "詳しくは verlo --help を見てください。";

int usageError(std::string_view message) {
    say(message);
    say(kUsageHint);
    return kExitTrouble;
}

// Strict UTF-8 to QString; nullopt when the bytes are not UTF-8.
std::optional<QString> fromUtf8(std::string_view bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError()) return std::nullopt;
    return text;
}

// Bytes typed at the terminal, in the terminal's encoding (its locale), as UTF-8; nullopt
// when they are not text in it.
std::optional<std::string> terminalToUtf8(const std::string& typed) {
    std::setlocale(LC_CTYPE, "");
    const std::string codeset = nl_langinfo(CODESET);
    if (codeset == "UTF-8" || codeset == "ANSI_X3.4-1968") return typed;
    iconv_t cd = iconv_open("UTF-8", codeset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return typed;
    std::string in = typed;
    std::string out(typed.size() * 4 + 4, '\0');
    char* ip = in.data();
    char* op = out.data();
    std::size_t il = in.size();
    std::size_t ol = out.size();
    const bool ok = iconv(cd, &ip, &il, &op, &ol) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    secureFill(in.data(), in.size(), 0);
    out.resize(out.size() - ol);
    if (!ok) {
        secureFill(out.data(), out.size(), 0);
        return std::nullopt;
    }
    return out;
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
    files::Encoding outputEncoding = files::Encoding::ShiftJis;  // of the decrypted text
    std::optional<std::string> keyFile;
    std::optional<std::string> input;  // nullopt: standard input
};

// The key as UTF-8 text (from the key file or the terminal), or an exit status.
std::variant<std::string, int> keyText(const Options& options) {
    if (options.keyFile) {
        // Read like a document (a pipe too): in its own encoding, the first line up to its
        // line break.
        int failure = 0;
        std::optional<files::ReadText> read = readDocument(*options.keyFile, files::FileKind::Any, &failure);
        if (!read) {
            say("「" + *options.keyFile + "」を読めません: " + std::strerror(failure));
            return kExitTrouble;
        }
        std::string text = files::writeText(read->bytes, read->standIns, files::TextFormat{files::Encoding::Utf8}).bytes;
        secureFill(read->bytes.data(), read->bytes.size(), 0);
        std::string key(std::string_view(text).substr(0, text.find_first_of("\r\n")));
        secureFill(text.data(), text.size(), 0);
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
    std::optional<std::string> utf8 = terminalToUtf8(key);
    secureFill(key.data(), key.size(), 0);
    if (!utf8) return std::string("\xFF");  // not text: refused as not UTF-8 below
    return std::move(*utf8);
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

    Input input;
    std::string error;
    if (!input.open(options.input, error)) {
        secureFill(keyBytes.bytes.data(), keyBytes.bytes.size(), 0);
        say(error);
        return kExitTrouble;
    }
    Output output;
    const CryptResult result = options.encrypt
                                   ? encryptInput(input, keyBytes.bytes, output)
                                   : decryptInput(input, keyBytes.bytes, options.outputEncoding, output);
    secureFill(keyBytes.bytes.data(), keyBytes.bytes.size(), 0);
    const auto characters = [&] {
        return QString::fromUcs4(result.refused.data(), static_cast<qsizetype>(result.refused.size())).toStdString();
    };
    switch (result.kind) {
    case CryptResult::Done: return kExitDone;
    case CryptResult::WrongKey: say("だめです", true); return kExitFailed;
    case CryptResult::Refused:
        say(options.encrypt ? "Shift-JIS で表せない文字があるため暗号化できません (" + characters() + ")"
                            : std::string(files::encodingId(options.outputEncoding)) +
                                  " で表せない文字があるため書き出せません (" + characters() + ")");
        return kExitTrouble;
    case CryptResult::ReadFailed: say(result.message); return kExitTrouble;
    case CryptResult::WriteFailed: say("標準出力に書けません: " + result.message); return kExitTrouble;
    }
    return kExitTrouble;
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
        } else if (!optionsEnded && (arg == "--output-encoding" || arg.starts_with("--output-encoding="))) {
            std::string name;
            if (arg == "--output-encoding") {
                if (i + 1 >= argc) return usageError("--output-encoding の後に文字コードを指定してください。");
                name = argv[++i];
            } else {
                name = std::string(arg.substr(std::strlen("--output-encoding=")));
            }
            const std::optional<files::Encoding> encoding = files::encodingFromId(name);
            if (!encoding)
                return usageError("知らない文字コードです: " + name +
                                  " (Shift_JIS, UTF-8, UTF-8-BOM, EUC-JP, UTF-16LE, UTF-16BE, ISO-2022-JP)");
            options.outputEncoding = *encoding;
        } else if (!optionsEnded && arg == "--help") {
            writeAll(STDOUT_FILENO, cryptCommandLineHelp());
            return kExitDone;
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
           "      FILE はエディタで開くときと同じく文字コードを見分けて読み、Shift-JIS の形を暗号化します。\n"
           "  verlo --decrypt [--key-file F] [--output-encoding ENC] [FILE]\n"
           "      暗号文を復号化して標準出力に書きます (Shift-JIS、または ENC: UTF-8, UTF-8-BOM, EUC-JP,\n"
           "      UTF-16LE, UTF-16BE, ISO-2022-JP)。鍵が合わなければ「だめです」と言って\n"
           "      何も書かず、終了コード 1 で終わります。\n"
           "  --key-file F\n"
           "      鍵を F の1行目 (文書と同じく文字コードを見分けて) 読みます。ないときは端末で\n"
           "      (その文字コードで) 尋ねます (表示しません)。\n"
           "      鍵は Shift-JIS に直して使います。Shift-JIS で表せない文字があれば終了コード 2。\n";
}

}  // namespace verlo::cli
