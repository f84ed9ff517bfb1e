#include "settings/settings_store.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <sys/stat.h>

#include "platform/error.h"

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

// Identifies the file on disk, so that a rewrite (a new file renamed over the old one)
// can be told from no write at all.
struct FileIdentity {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identityOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {true, st.st_dev, st.st_ino};
}

}  // namespace

struct SettingsStore::Impl {
    explicit Impl(const QString& path) : path(path), settings(path, QSettings::IniFormat) {}
    QString path;
    QSettings settings;
    QString firstSectionWritten;
    bool closed = false;

    QVariant value(const QString& section, const QString& name) {
        return settings.value(section + u'/' + name);
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
        settings.setValue(section + u'/' + name, text);
    }
};

SettingsStore::SettingsStore() : SettingsStore(storePath()) {}

SettingsStore::SettingsStore(const QString& filePath) : d(std::make_unique<Impl>(filePath)) {}

SettingsStore::~SettingsStore() = default;

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
    const FileIdentity before = identityOf(d->path);
    d->settings.sync();
    bool written = d->settings.status() == QSettings::NoError;
    if (d->settings.status() == QSettings::FormatError) {
        // A line the reader could not parse hides a later access error: the file counts
        // as written when a new one took its place.
        const FileIdentity after = identityOf(d->path);
        written = after.exists && !(after == before);
    }
    if (!written)
        throw platform::Error(QStringLiteral("キー %1 の作成に失敗しました").arg(d->firstSectionWritten));
}

}  // namespace verlo::settings
