// verlo --encrypt / --decrypt as a user runs them: the built program, its standard streams,
// its exit status, a key file or the terminal. No display is given to it: a program that
// started the window system here would fail.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cipher/text_cipher.h"
#include "support/test_text.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

const std::string kVerlo = VERLO_BINARY_DIR "/verlo";

// 吾輩は猫である。 CR LF 名前はまだ無い。 CR LF in CP932
const std::string kJapaneseText =
    "\x8C\xE1\x94\x79\x82\xCD\x94\x4C\x82\xC5\x82\xA0\x82\xE9\x81\x42\x0D\x0A"
    "\x96\xBC\x91\x4F\x82\xCD\x82\xDC\x82\xBE\x96\xB3\x82\xA2\x81\x42\x0D\x0A";
// kJapaneseText under the key "Verlo key 42" and under 秘密の鍵ですよ, from `openssl enc`.
const std::string kUnderAsciiKey = "9KYyY1GTFdrI79DLKz6b0ViKSqd+8wRL07kDMM8q450TQDuzztHI5Q==";
const std::string kUnderJapaneseKey = "LoA5yJi4IdQBawxAKL0I7vk7RfuH37dZXJcqI9IKcQkfGZjA4vfP3g==";
const std::string kFailure = "だめです\n";  // UTF-8 on standard error

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

using verlo::test::readBytes;
using verlo::test::writeBytes;

// The environment without a display, and with a platform that would need one.
std::vector<std::string> headlessEnvironment() {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string_view v = *e;
        if (v.starts_with("DISPLAY=") || v.starts_with("WAYLAND_DISPLAY=") || v.starts_with("QT_QPA_PLATFORM=")) continue;
        env.emplace_back(v);
    }
    env.emplace_back("QT_QPA_PLATFORM=xcb");
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> p;
    for (std::string& s : strings) p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

int exitStatus(int waitStatus) { return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus); }

class CryptCommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kVerlo)) << kVerlo << " is missing: the build makes it before this test";
        char pattern[] = "/tmp/verlo-cli-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }

    fs::path file(const std::string& name, const std::string& bytes) {
        const fs::path path = dir_ / name;
        writeBytes(path, bytes);
        return path;
    }

    // Runs verlo (or another program) in the temporary folder, in a session of its own (no
    // terminal), standard input from `input`.
    Result run(std::vector<std::string> args, const std::string& input = "", const std::string& program = kVerlo) {
        const fs::path in = file("stdin", input), out = dir_ / "stdout", err = dir_ / "stderr";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addchdir_np(&actions, dir_.c_str());
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
        args.insert(args.begin(), program);
        std::vector<std::string> env = headlessEnvironment();
        std::vector<char*> argv = pointers(args), envp = pointers(env);
        pid_t pid;
        Result r;
        const int spawned = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        if (spawned != 0) {
            ADD_FAILURE() << "cannot start verlo: " << std::strerror(spawned);
            return r;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        r.status = exitStatus(status);
        r.out = readBytes(out);
        r.err = readBytes(err);
        return r;
    }

    // Runs verlo on a terminal of its own (standard output to a file), typing each line
    // after each key prompt. screen is what the terminal showed.
    Result runOnTerminal(std::vector<std::string> args, const std::vector<std::string>& lines) {
        const fs::path out = dir_ / "stdout";
        args.insert(args.begin(), kVerlo);
        std::vector<std::string> env = headlessEnvironment();
        std::vector<char*> argv = pointers(args), envp = pointers(env);
        int master = -1;
        const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
        if (pid == 0) {
            const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (fd < 0 || dup2(fd, 1) < 0 || chdir(dir_.c_str()) != 0) _exit(127);
            execve(kVerlo.c_str(), argv.data(), envp.data());
            _exit(127);
        }
        Result r;
        if (pid < 0) {
            ADD_FAILURE() << "forkpty: " << std::strerror(errno);
            return r;
        }
        const std::string prompt = "鍵: ";
        std::size_t typed = 0;
        char buffer[256];
        for (;;) {
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;  // EIO once the program has ended
            r.err.append(buffer, static_cast<std::size_t>(n));
            std::size_t seen = 0;
            for (std::size_t at = r.err.find(prompt); at != std::string::npos; at = r.err.find(prompt, at + 1)) ++seen;
            while (typed < seen && typed < lines.size()) {
                const std::string line = lines[typed++];
                if (write(master, line.data(), line.size()) != static_cast<ssize_t>(line.size())) break;
            }
        }
        close(master);
        int status = 0;
        waitpid(pid, &status, 0);
        r.status = exitStatus(status);
        r.out = readBytes(out);
        return r;
    }

    // Runs verlo with its standard input and output on pipes, as in `cat in | verlo ... | cat`.
    Result runPiped(const std::vector<std::string>& args, const std::string& input) {
        file("piped-in", input);
        std::string command = "cat piped-in | { '" + kVerlo + "'";
        for (const std::string& a : args) command += " '" + a + "'";
        command += " 2>piped-err; echo $? >piped-status; } | cat";
        Result r = run({"-c", command}, "", "/bin/sh");
        r.status = std::atoi(readBytes(dir_ / "piped-status").c_str());
        r.err = readBytes(dir_ / "piped-err");
        return r;
    }

    fs::path dir_;
};

TEST_F(CryptCommandLine, EncryptsAFileOrStandardInputWithAKeyFile) {
    const fs::path text = file("text.txt", kJapaneseText);
    const fs::path key = file("key", "Verlo key 42\n");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--encrypt", "--key-file", key, text},
             {"--key-file=" + key.string(), "--encrypt", text},
             {"--encrypt", "--key-file", key},
             {"--encrypt", "--key-file", key, "-"}}) {
        const Result r = run(args, kJapaneseText);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, kUnderAsciiKey);  // no line break added
        EXPECT_EQ(r.err, "");
    }
    // The key file is UTF-8; its first line is the key, converted to the code page, with
    // a CR LF line break and a byte-order mark not part of it.
    const fs::path japaneseKey = file("jkey", "\xEF\xBB\xBF秘密の鍵ですよ\r\nnot the key\n");
    const Result r = run({"--encrypt", "--key-file", japaneseKey, text});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kUnderJapaneseKey);
}

TEST_F(CryptCommandLine, DecryptsByteForByte) {
    const fs::path key = file("key", "秘密の鍵ですよ");  // no line break at all
    Result r = run({"--decrypt", "--key-file", key}, kUnderJapaneseKey);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kJapaneseText);
    // An encrypted text saved with one line break after it still decrypts.
    r = run({"--decrypt", "--key-file", key, file("enc.txt", kUnderJapaneseKey + "\n")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kJapaneseText);

    // Every byte value survives the way there and back.
    std::string bytes;
    for (int i = 0; i < 3 * 256; ++i) bytes += static_cast<char>(i * 7);
    const Result encrypted = run({"--encrypt", "--key-file", key}, bytes);
    ASSERT_EQ(encrypted.status, 0) << encrypted.err;
    r = run({"--decrypt", "--key-file", key}, encrypted.out);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, bytes);

    // The empty text both ways.
    r = run({"--encrypt", "--key-file", key}, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    r = run({"--decrypt", "--key-file", key}, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(CryptCommandLine, WrongKeySaysDameDesuAndWritesNothing) {
    const fs::path wrong = file("wrong", "verlo key 42\n");
    for (const std::string& input : {kUnderAsciiKey, std::string("not an encrypted text"), kUnderAsciiKey.substr(0, 8)}) {
        const Result r = run({"--decrypt", "--key-file", wrong}, input);
        EXPECT_EQ(r.status, 1) << input;
        EXPECT_EQ(r.out, "") << input;
        EXPECT_EQ(r.err, kFailure) << input;
    }
}

TEST_F(CryptCommandLine, FragmentsTooShortToHoldAnythingFailAsTheEditorSays) {
    const fs::path right = file("right", "Verlo key 42\n");
    for (const std::string& fragment : {kUnderAsciiKey.substr(0, 3), std::string("\n")}) {
        const Result r = run({"--decrypt", "--key-file", right}, fragment);
        EXPECT_EQ(r.status, 1) << fragment;
        EXPECT_EQ(r.out, "") << fragment;
        EXPECT_EQ(r.err, kFailure) << fragment;
    }
}

TEST_F(CryptCommandLine, RefusesKeysTheCodePageCannotHold) {
    const fs::path text = file("text.txt", kJapaneseText);
    for (const std::string& key : {std::string("鍵한"), std::string("😀"), std::string("鍵♡")}) {
        const Result r = run({"--encrypt", "--key-file", file("key", key), text});
        EXPECT_EQ(r.status, 2) << key;
        EXPECT_EQ(r.out, "") << key;
        EXPECT_NE(r.err, "") << key;
    }
    const Result r = run({"--decrypt", "--key-file", file("key", "鍵한\n"), text});
    EXPECT_NE(r.err.find("한"), std::string::npos) << r.err;  // the message names the character
    // Characters typed by Linux input methods for the code page's own (〜 U+301C) are fine.
    const Result wave = run({"--encrypt", "--key-file", file("key", "〜")}, "x");
    EXPECT_EQ(wave.status, 0) << wave.err;
}

TEST_F(CryptCommandLine, UsageAndInputErrorsExitWithTwo) {
    const fs::path text = file("text.txt", "abc");
    const fs::path key = file("key", "k\n");
    const std::vector<std::vector<std::string>> cases = {
        {"--encrypt", "--decrypt", "--key-file", key, text},
        {"--encrypt", "--key-file"},
        {"--encrypt", "--key-file", key, "--key-file", key, text},
        {"--encrypt", "--bogus", "--key-file", key, text},
        {"--encrypt", "--key-file", key, text, text},
        {"--encrypt", "--key-file", key, (dir_ / "missing.txt").string()},
        {"--decrypt", "--key-file", (dir_ / "missing-key").string(), text},
        {"--encrypt", "--key-file", key, dir_.string()},
    };
    for (const auto& args : cases) {
        const Result r = run(args, "stdin");
        EXPECT_EQ(r.status, 2) << args[1];
        EXPECT_EQ(r.out, "") << args[1];
        EXPECT_NE(r.err, "") << args[1];
    }
    EXPECT_NE(run({"--encrypt", "--key-file", key, (dir_ / "missing.txt").string()}).err.find("missing.txt"),
              std::string::npos);
    // After "--" a name that looks like an option is a file.
    file("--encrypt", kJapaneseText);
    const Result r = run({"--encrypt", "--key-file", file("key", "Verlo key 42"), "--", "--encrypt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kUnderAsciiKey);
}

TEST_F(CryptCommandLine, WithoutKeyFileAndWithoutTerminalItAsksNobody) {
    const Result r = run({"--decrypt"}, kUnderAsciiKey);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("--key-file"), std::string::npos) << r.err;
}

TEST_F(CryptCommandLine, AsksTheTerminalWithoutEcho) {
    const fs::path encrypted = file("enc.txt", kUnderAsciiKey);
    Result r = runOnTerminal({"--decrypt", encrypted}, {"Verlo key 42\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kJapaneseText);
    EXPECT_NE(r.err.find("鍵: "), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Verlo key 42"), std::string::npos) << "the key was echoed: " << r.err;

    r = runOnTerminal({"--decrypt", encrypted}, {"verlo key 42\n"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("だめです"), std::string::npos) << r.err;

    // Encrypting asks twice: the same key twice encrypts, two different keys do nothing.
    const fs::path text = file("text.txt", kJapaneseText);
    r = runOnTerminal({"--encrypt", text}, {"秘密の鍵ですよ\n", "秘密の鍵ですよ\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kUnderJapaneseKey);
    EXPECT_EQ(r.err.find("秘密"), std::string::npos) << r.err;
    r = runOnTerminal({"--encrypt", text}, {"秘密の鍵ですよ\n", "秘密の鍵です\n"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");

    // The input ending before the key does: nothing done.
    r = runOnTerminal({"--decrypt", encrypted}, {"\x04"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
}

TEST_F(CryptCommandLine, HelpListsTheCommands) {
    const Result r = run({"--help"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("--encrypt"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("--decrypt"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("--key-file"), std::string::npos) << r.out;
}

}  // namespace

TEST_F(CryptCommandLine, ReadsFilesAsTheEditorOpensThemAndWritesTheEncodingAskedFor) {
    const fs::path key = file("key", "Verlo key 42\n");
    const std::string utf8 = verlo::test::iconvert("CP932", "UTF-8", kJapaneseText);
    Result r = run({"--encrypt", "--key-file", key, file("u.txt", utf8)});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kUnderAsciiKey) << "the same line as for the Shift-JIS file";
    r = run({"--decrypt", "--key-file", key, "--output-encoding", "UTF-8"}, kUnderAsciiKey);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, utf8);
    r = run({"--decrypt", "--key-file", key, "--output-encoding=latin1"}, kUnderAsciiKey);
    EXPECT_EQ(r.status, 2);
    // A key file in UTF-16 is read like a document too.
    const fs::path wideKey = file("wkey", "\xFF\xFE" + verlo::test::iconvert("UTF-8", "UTF-16LE", "Verlo key 42\n"));
    EXPECT_EQ(run({"--encrypt", "--key-file", wideKey, file("t.txt", kJapaneseText)}).out, kUnderAsciiKey);
    r = run({"--encrypt", "--key-file", key, file("h.txt", "本文♡")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("♡"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST_F(CryptCommandLine, LargeInputsStreamThroughFilesAndPipesAsTheEditorWouldEncryptThem) {
    // Several of the pieces the program reads at a time (decryption reads larger ones and
    // decrypts each on two threads), in UTF-8: each cut meets a character.
    std::string utf8;
    while (utf8.size() < 3'000'000) utf8 += verlo::test::iconvert("CP932", "UTF-8", verlo::test::sampleText()) + "♪x\r\n";
    const std::string cp932 = verlo::test::iconvert("UTF-8", "CP932", utf8);
    const std::string expected = verlo::cipher::EncryptText(cp932, "Verlo key 42");
    const fs::path key = file("key", "Verlo key 42\n");
    const fs::path text = file("big.txt", utf8);

    Result r = run({"--encrypt", "--key-file", key, text});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out == expected) << "from a file";
    r = runPiped({"--encrypt", "--key-file", key}, utf8);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out == expected) << "from a pipe";

    r = run({"--decrypt", "--key-file", key}, expected);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out == cp932);
    r = runPiped({"--decrypt", "--key-file", key, "--output-encoding", "UTF-8"}, expected);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out == utf8);

    // Damage near the end shows only after everything was decrypted: nothing may stay written.
    std::string damaged = expected;
    damaged[damaged.size() - 20] = damaged[damaged.size() - 20] == 'A' ? 'B' : 'A';
    r = run({"--decrypt", "--key-file", key}, damaged);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, kFailure);
    EXPECT_EQ(r.out.size(), 0u) << "written to a file, then taken back";
    r = runPiped({"--decrypt", "--key-file", key}, damaged);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.size(), 0u) << "a pipe: checked before anything is written";
}
