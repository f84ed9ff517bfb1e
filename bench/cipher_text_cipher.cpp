// 8-bit CFB on 1 MB of novel text: our cipher object against OpenSSL's own aes-192-cfb8
// (the mode `openssl enc -aes-192-cfb8` runs) on the same bytes, key and initial vector,
// measured in the same run; the `openssl enc` command itself for comparison; and the whole
// text routines. At the end the ratios of the medians are printed (throughput, ours over
// the reference): encryption should reach 0.9, decryption 4.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "cipher/text_cipher.h"
#include "cipher/rijndael.h"
#include "support/novel.h"

extern char** environ;

namespace {

using verlo::cipher::TDCP_rijndael;
using verlo::cipher::TDCP_sha1;

constexpr std::size_t kSize = 1u << 20;
const std::string kKeyText = "\x94\xE9\x96\xA7\x82\xCC\x8C\xAE";  // 秘密の鍵

const std::string& plainText() {
    static const std::string text = [] {
        std::string t = verlo::bench::generateNovel(kSize, 7);
        t.resize(kSize, ' ');
        return t;
    }();
    return text;
}

// The key and initial vector our construction derives from kKeyText.
struct KeyMaterial {
    unsigned char key[24] = {};
    unsigned char iv[16] = {};
};

const KeyMaterial& keyMaterial() {
    static const KeyMaterial material = [] {
        KeyMaterial m;
        TDCP_sha1 hash;
        hash.Init();
        hash.UpdateStr(kKeyText);
        hash.Final(m.key);  // 20 bytes, then 4 zero bytes
        TDCP_rijndael cipher;
        cipher.SetKeyFromText(kKeyText, TDCP_sha1::Class());
        std::copy(cipher.InitialVector().begin(), cipher.InitialVector().end(), m.iv);
        return m;
    }();
    return material;
}

const std::string& cipherText() {
    static const std::string text = [] {
        TDCP_rijndael cipher;
        cipher.SetKeyFromText(kKeyText, TDCP_sha1::Class());
        std::string out(kSize, '\0');
        cipher.EncryptCfb8(reinterpret_cast<const std::uint8_t*>(plainText().data()),
                           reinterpret_cast<std::uint8_t*>(out.data()), kSize);
        return out;
    }();
    return text;
}

void openSslCfb8(benchmark::State& state, bool encrypt) {
    const std::string& in = encrypt ? plainText() : cipherText();
    std::string out(kSize, '\0');
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    for (auto _ : state) {
        EVP_CipherInit_ex(ctx, EVP_aes_192_cfb8(), nullptr, keyMaterial().key, keyMaterial().iv, encrypt ? 1 : 0);
        int written = 0;
        EVP_CipherUpdate(ctx, reinterpret_cast<unsigned char*>(out.data()), &written,
                         reinterpret_cast<const unsigned char*>(in.data()), static_cast<int>(kSize));
        benchmark::DoNotOptimize(out.data());
    }
    EVP_CIPHER_CTX_free(ctx);
    if (out != (encrypt ? cipherText() : plainText())) state.SkipWithError("OpenSSL and our cipher disagree");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kSize));
}

void ourCfb8(benchmark::State& state, bool encrypt) {
    const std::string& in = encrypt ? plainText() : cipherText();
    std::string out(kSize, '\0');
    TDCP_rijndael cipher;
    cipher.SetKeyFromText(kKeyText, TDCP_sha1::Class());
    const auto* src = reinterpret_cast<const std::uint8_t*>(in.data());
    auto* dst = reinterpret_cast<std::uint8_t*>(out.data());
    for (auto _ : state) {
        cipher.ResetFeedback();
        if (encrypt)
            cipher.EncryptCfb8(src, dst, kSize);
        else
            cipher.DecryptCfb8(src, dst, kSize);
        benchmark::DoNotOptimize(out.data());
    }
    if (out != (encrypt ? cipherText() : plainText())) state.SkipWithError("round trip failed");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kSize));
}

void BM_EncryptReference_OpenSslCfb8(benchmark::State& state) { openSslCfb8(state, true); }
void BM_EncryptOurs(benchmark::State& state) { ourCfb8(state, true); }
void BM_DecryptOpenSslCfb8(benchmark::State& state) { openSslCfb8(state, false); }
void BM_DecryptOurs(benchmark::State& state) { ourCfb8(state, false); }

std::string hex(const unsigned char* p, std::size_t n) {
    std::string s;
    char b[3];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "%02x", p[i]);
        s += b;
    }
    return s;
}

// The command a user would run, on a file of the same bytes (process start included).
void BM_EncryptCommand_OpenSslEnc(benchmark::State& state) {
    char path[] = "/tmp/verlo-bench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        state.SkipWithError("no temporary file");
        return;
    }
    close(fd);
    std::ofstream(path, std::ios::binary) << plainText();
    std::vector<std::string> args = {"openssl", "enc", "-aes-192-cfb8", "-nopad",
                                     "-K", hex(keyMaterial().key, 24), "-iv", hex(keyMaterial().iv, 16),
                                     "-in", path, "-out", "/dev/null"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto _ : state) {
        pid_t pid;
        int status = 0;
        if (posix_spawnp(&pid, "openssl", nullptr, nullptr, argv.data(), environ) != 0 || waitpid(pid, &status, 0) < 0 ||
            status != 0) {
            state.SkipWithError("openssl enc failed");
            break;
        }
    }
    unlink(path);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kSize));
}

void BM_EncryptText(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(verlo::cipher::EncryptText(plainText(), kKeyText));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kSize));
}

void BM_DecryptText(benchmark::State& state) {
    const std::string encrypted = verlo::cipher::EncryptText(plainText(), kKeyText);
    for (auto _ : state) benchmark::DoNotOptimize(verlo::cipher::TryDecryptText(encrypted, kKeyText));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kSize));
}

constexpr int kRepetitions = 15;

BENCHMARK(BM_EncryptReference_OpenSslCfb8)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);
BENCHMARK(BM_EncryptOurs)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecryptOpenSslCfb8)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecryptOurs)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);
BENCHMARK(BM_EncryptCommand_OpenSslEnc)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);
BENCHMARK(BM_EncryptText)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecryptText)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The console report, keeping the median times of each benchmark for the ratios.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                realMedians[run.run_name.function_name] = run.GetAdjustedRealTime();
                cpuMedians[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> realMedians, cpuMedians;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // In-process figures by CPU time (the machine may be shared) and by wall time; the
    // command only by wall time, since its work is done in another process.
    auto ratio = [](const std::map<std::string, double>& m, const char* label, const char* reference,
                    const char* ours, double goal) {
        if (!m.count(reference) || !m.count(ours)) return;
        const double r = m.at(reference) / m.at(ours);
        std::printf("  %-52s %6.2fx  (goal %.1fx) %s\n", label, r, goal, r >= goal ? "met" : "NOT MET");
    };
    const char* reference = "BM_EncryptReference_OpenSslCfb8";
    const char* command = "BM_EncryptCommand_OpenSslEnc";
    std::printf("\nThroughput, ours over OpenSSL's aes-192-cfb8 encryption, medians on 1 MB:\n");
    for (const auto* m : {&reporter.cpuMedians, &reporter.realMedians}) {
        const char* clock = m == &reporter.cpuMedians ? "CPU time" : "wall time";
        std::printf(" by %s:\n", clock);
        ratio(*m, "encrypt / OpenSSL aes-192-cfb8 in process", reference, "BM_EncryptOurs", 0.9);
        ratio(*m, "decrypt / OpenSSL aes-192-cfb8 encryption in process", reference, "BM_DecryptOurs", 4.0);
    }
    std::printf(" by wall time, against the openssl enc command (process start included):\n");
    ratio(reporter.realMedians, "encrypt / openssl enc -aes-192-cfb8", command, "BM_EncryptOurs", 0.9);
    ratio(reporter.realMedians, "decrypt / openssl enc -aes-192-cfb8", command, "BM_DecryptOurs", 4.0);
    benchmark::Shutdown();
    return 0;
}
