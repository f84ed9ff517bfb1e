#include "settings/settings_store.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QMap>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cerrno>
#include <string>
#include <sys/stat.h>

#include "files/file_io.h"
#include "platform/error.h"
#include "settings/typed_values.h"

namespace verlo::settings {

std::optional<std::int32_t> parseInteger(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i < n && text[i] == u'$') {
        ++i;
        if (i == n || n - i > 8)
            return std::nullopt;
        std::uint32_t value = 0;
        for (; i < n; ++i) {
            const char16_t c = text[i].unicode();
            int digit;
            if (c >= u'0' && c <= u'9') digit = c - u'0';
            else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
            else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
            else return std::nullopt;
            value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        if (negative)
            value = 0u - value;
        return static_cast<std::int32_t>(value);
    }
    if (i == n)
        return std::nullopt;
    std::int64_t value = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > 2147483648LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

namespace {

// Identifies the file on disk, so that a rewrite (a new file put in the old one's place)
// can be told from no write at all.
struct FileIdentity {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identityOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return {true, st.st_dev, st.st_ino};
}

// The bytes QSettings makes of `present` (the file as it is now, nothing for no file) with
// `values` set, and the permission bits it gives a file it makes. Its own file is a copy
// in a private temporary folder: the store's file is put in place by files::ReplacingFile.
struct Made {
    std::string bytes;
    unsigned newFileMode = 0;
};
std::optional<Made> makeIni(const std::optional<std::string>& present, const QMap<QString, QString>& values) {
    const QTemporaryDir scratch;
    if (!scratch.isValid())
        return std::nullopt;
    const QString copyPath = scratch.filePath(QStringLiteral("settings.ini"));
    const std::string nativeCopy = QFile::encodeName(copyPath).toStdString();
    if (present) {
        QFile copy(copyPath);
        if (!copy.open(QIODevice::WriteOnly) ||
            copy.write(present->data(), static_cast<qint64>(present->size())) != static_cast<qint64>(present->size()) ||
            !copy.flush())
            return std::nullopt;
    }
    const FileIdentity before = identityOf(nativeCopy);
    QSettings settings(copyPath, QSettings::IniFormat);
    for (auto it = values.begin(); it != values.end(); ++it)
        settings.setValue(it.key(), it.value());
    settings.sync();
    bool written = settings.status() == QSettings::NoError;
    if (settings.status() == QSettings::FormatError) {
        // A line the reader could not parse hides a later access error: the copy counts
        // as written when a new one took its place.
        const FileIdentity after = identityOf(nativeCopy);
        written = after.exists && !(after == before);
    }
    struct stat st {};
    if (!written || ::stat(nativeCopy.c_str(), &st) != 0)
        return std::nullopt;
    auto bytes = files::readNativeFile(nativeCopy, files::FileKind::Regular);
    if (!bytes)
        return std::nullopt;
    return Made{std::move(*bytes), st.st_mode & 07777u};
}

}  // namespace

struct SettingsStore::Impl {
    explicit Impl(const QString& path) : path(path) {}
    QString path;
    // Made at the first read (a store that only writes never reads): QSettings reads a
    // private copy of the file without the values it would decode (typed_values.h).
    std::unique_ptr<QTemporaryDir> readerCopy;
    std::unique_ptr<QSettings> reader;
    QSet<QString> refused;
    QMap<QString, QString> written;     // key -> value, put into the file at close
    QString firstSectionWritten;
    bool closed = false;

    void openReader() {
        readerCopy = std::make_unique<QTemporaryDir>();
        const QString copyPath = readerCopy->filePath(QStringLiteral("settings.ini"));
        const auto present = files::readNativeFile(QFile::encodeName(path).toStdString(), files::FileKind::Regular);
        if (present && readerCopy->isValid()) {
            ScreenedIni screened = screenTypedValues(*present);
            refused = std::move(screened.refused);
            QFile copy(copyPath);
            if (copy.open(QIODevice::WriteOnly))
                copy.write(screened.bytes.data(), static_cast<qint64>(screened.bytes.size()));
        }
        reader = std::make_unique<QSettings>(copyPath, QSettings::IniFormat);
    }
    QVariant value(const QString& section, const QString& name) {
        const QString key = section + u'/' + name;
        if (const auto it = written.constFind(key); it != written.constEnd())
            return *it;
        if (!reader)
            openReader();
        if (refused.contains(key))
            throw platform::Error(QStringLiteral("'%1' のデータ型が不正です").arg(name));
        return reader->value(key);
    }
    // The stored text, or nothing when the value is missing; raises for other types.
    std::optional<QString> text(const QString& section, const QString& name) {
        const QVariant v = value(section, name);
        if (!v.isValid())
            return std::nullopt;
        if (v.typeId() != QMetaType::QString)
            throw platform::Error(QStringLiteral("'%1' のデータ型が不正です").arg(name));
        QString s = v.toString();
        const qsizetype nul = s.indexOf(QChar(0));
        if (nul >= 0)
            s.truncate(nul);
        return s;
    }
    void write(const QString& section, const QString& name, const QString& text) {
        if (firstSectionWritten.isEmpty())
            firstSectionWritten = section;
        written.insert(section + u'/' + name, text);
    }
    // Puts the values written into the file, keeping the others it holds; false when the
    // file could not be written.
    bool save() const {
        // The folder is made, and writers take turns under the lock file, as QSettings does.
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            return false;
        QLockFile lock(path + QStringLiteral(".lock"));
        if (!lock.lock())
            return false;
        const std::string native = QFile::encodeName(path).toStdString();
        int error = 0;
        const auto present = files::readNativeFile(native, files::FileKind::Regular, &error);
        if (!present && error != ENOENT)
            return false;
        // The values QSettings would decode are not carried over (typed_values.h).
        std::optional<std::string> screened;
        if (present)
            screened = screenTypedValues(*present).bytes;
        const auto made = makeIni(screened, written);
        if (!made)
            return false;
        files::ReplacingFile file(native, {{}, made->newFileMode});
        return file.open() && file.write(made->bytes) && file.commit();
    }
};

SettingsStore::SettingsStore() : SettingsStore(storePath()) {}

SettingsStore::SettingsStore(const QString& filePath) : d(std::make_unique<Impl>(filePath)) {}

SettingsStore::~SettingsStore() {
    // What was written and not closed still goes into the file (a failure is not told).
    if (!d->closed && !d->written.isEmpty())
        d->save();
}

QString SettingsStore::storePath() {
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/Tarnvel/Verlo.ini");
}

const QString& SettingsStore::filePath() const { return d->path; }

std::int32_t SettingsStore::readInteger(const QString& section, const QString& name, std::int32_t def) {
    const auto text = d->text(section, name);
    if (!text)
        return def;
    return parseInteger(*text).value_or(def);
}

QString SettingsStore::readText(const QString& section, const QString& name, const QString& def) {
    return d->text(section, name).value_or(def);
}

void SettingsStore::writeInteger(const QString& section, const QString& name, std::int32_t value) {
    d->write(section, name, QString::number(value));
}

void SettingsStore::writeText(const QString& section, const QString& name, const QString& value) {
    d->write(section, name, value);
}

void SettingsStore::close() {
    if (d->closed)
        return;
    d->closed = true;
    if (d->firstSectionWritten.isEmpty())
        return;
    const bool written = d->save();
    if (!written)
        throw platform::Error(QStringLiteral("キー %1 の作成に失敗しました").arg(d->firstSectionWritten));
}

}  // namespace verlo::settings
