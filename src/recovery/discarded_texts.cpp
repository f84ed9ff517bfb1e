#include "recovery/discarded_texts.h"

#include <QDir>
#include <QFile>
#include <algorithm>

#include "files/file_io.h"

namespace verlo::recovery {
namespace {

constexpr const char* kSuffix = ".discarded";

QString native(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

}  // namespace

bool DiscardedTexts::keep(const RecoveryCopy& copy) {
    if (!QDir().mkpath(native(folder_))) return false;
    QFile::setPermissions(native(folder_), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // Named by the time it was given up, so that the names sort as the texts were kept.
    std::string name;
    for (int n = 0; name.empty() || QFile::exists(native(folder_ + "/" + name)); ++n) {
        char stamp[48];
        std::snprintf(stamp, sizeof stamp, "%012lld-%02d", static_cast<long long>(copy.written), n);
        name = stamp + std::string(kSuffix);
    }
    if (!files::writeFileReplacing(native(folder_ + "/" + name), copyHeader(copy) + copy.text)) return false;
    list(copy.written);  // the limits
    return true;
}

std::vector<DiscardedTexts::Entry> DiscardedTexts::list(std::int64_t now) {
    std::vector<Entry> kept;
    QStringList names = QDir(native(folder_)).entryList({QStringLiteral("*") + kSuffix}, QDir::Files, QDir::Name);
    std::reverse(names.begin(), names.end());  // newest first
    for (const QString& name : names) {
        const std::string path = folder_ + "/" + QFile::encodeName(name).toStdString();
        const std::optional<std::string> bytes = files::readNativeFile(path, files::FileKind::Regular);
        std::optional<RecoveryCopy> copy = bytes ? parseCopy(*bytes) : std::nullopt;
        if (!copy) continue;  // not one whole copy: left alone
        if (now - copy->written > kDays * 24 * 60 * 60 || static_cast<int>(kept.size()) >= kKept) {
            QFile::remove(native(path));
            continue;
        }
        kept.push_back({QFile::encodeName(name).toStdString(), std::move(*copy)});
    }
    return kept;
}

std::optional<RecoveryCopy> DiscardedTexts::take(const std::string& name) {
    if (name.find('/') != std::string::npos) return std::nullopt;
    const std::string path = folder_ + "/" + name;
    const std::optional<std::string> bytes = files::readNativeFile(path, files::FileKind::Regular);
    std::optional<RecoveryCopy> copy = bytes ? parseCopy(*bytes) : std::nullopt;
    if (copy) QFile::remove(native(path));
    return copy;
}

}  // namespace verlo::recovery
