// The settings reader on any file: the start-up read never fails outright (a bad value
// is reported and keeps its default), what it read writes back and reads again the same,
// and whole numbers are read as the store's rules say (checked against a reference).
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "fuzz_check.h"
#include "platform/error.h"
#include "settings/settings_store.h"
#include "settings/stored_settings.h"

using namespace verlo::settings;

namespace {

// Optional blanks, an optional sign, then decimal digits that fit 32 signed bits, or "$"
// and one to eight hexadecimal digits taken as 32 bits.
std::optional<std::int32_t> referenceInteger(const std::u16string& s) {
    std::size_t i = s.find_first_not_of(u' ');
    if (i == std::u16string::npos) return std::nullopt;
    const bool negative = s[i] == u'-';
    if (s[i] == u'-' || s[i] == u'+') ++i;
    const bool hex = i < s.size() && s[i] == u'$';
    if (hex) ++i;
    const std::u16string digits = s.substr(i);
    if (digits.empty() || (hex && digits.size() > 8)) return std::nullopt;
    const std::u16string allowed = hex ? u"0123456789abcdefABCDEF" : u"0123456789";
    if (digits.find_first_not_of(allowed) != std::u16string::npos) return std::nullopt;
    if (hex) {
        const auto value = static_cast<std::uint32_t>(std::stoul(std::string(digits.begin(), digits.end()), nullptr, 16));
        return static_cast<std::int32_t>(negative ? 0u - value : value);
    }
    const std::string narrow(digits.begin(), digits.end());
    const std::size_t first = std::min(narrow.find_first_not_of('0'), narrow.size());
    if (narrow.size() - first > 10) return std::nullopt;
    const long long magnitude = narrow.size() == first ? 0 : std::stoll(narrow.substr(first));
    const long long value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

StoredSettings readAll(const QString& path, int* failures) {
    SettingsStore store(path);
    return readStoredSettings(store, [failures](const std::function<void()>& step) {
        try {
            step();
        } catch (const verlo::platform::Error&) {
            ++*failures;
        }
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString asText = QString::fromUtf8(bytes.left(40));
    FUZZ_CHECK(parseInteger(asText) == referenceInteger(asText.toStdU16String()));

    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Verlo.ini"));
    const QString again = dir.filePath(QStringLiteral("again.ini"));
    QFile::remove(path);
    QFile::remove(again);
    {
        QFile f(path);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    int failures = 0;
    const StoredSettings read = readAll(path, &failures);
    {
        SettingsStore out(again);
        writeStoredSettings(out, read);
        out.close();
    }
    int failuresAgain = 0;
    const StoredSettings reread = readAll(again, &failuresAgain);
    FUZZ_CHECK(failuresAgain == 0);
    FUZZ_CHECK(reread.Name == read.Name && reread.Size == read.Size && reread.bounds == read.bounds &&
               reread.State == read.State && reread.Style == read.Style && reread.Pitch == read.Pitch &&
               reread.AlphaValue == read.AlphaValue && reread.live.Gyou == read.live.Gyou &&
               reread.live.Retsu == read.live.Retsu && reread.live.VerHor == read.live.VerHor &&
               reread.live.DayTime == read.live.DayTime && reread.FontColor == read.FontColor &&
               reread.BackColor == read.BackColor);
    return 0;
}
