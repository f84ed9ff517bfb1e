// The settings store: one INI file per user, $XDG_CONFIG_HOME/Tarnvel/Verlo.ini (normally
// ~/.config/Tarnvel/Verlo.ini), with the sections Window, Font and Print. Every value is kept as
// text, the integers as their decimal text.
//
// A store is opened for one sequence (the start-up read or the closing write) and closed at
// its end; nothing stays open in between. At close() the values written are set, by
// QSettings, in a private copy of the file as it is then (so the INI text is what QSettings
// writes, and the keys not written now are kept), and the copy's bytes replace the file
// through files::ReplacingFile; writers take turns under "<file>.lock" as QSettings' do.
//
// Failures (each raises Error with the text shown in the standard error box):
// - a value that reads back as something other than text (a comma list, an @Rect(...)), or
//   one QSettings would decode from @Variant(...), @DateTime(...) or @ByteArray(...) (such
//   values are refused before QSettings parses them, and not carried over at close):
//   "'<name>' のデータ型が不正です";
// - the file cannot be written at close(): the store is one file, so when it cannot be
//   made or replaced none of its sections can be created; this is reported as
//   "キー <section> の作成に失敗しました" naming the first section written. Values
//   themselves are only put into the file at close(), so there is no separate failure of
//   one value.
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <optional>

namespace verlo::settings {

// A whole number as the store reads it: optional blanks, an optional sign, then decimal
// digits or "$" and hexadecimal digits (at most eight, taken as 32 bits). Decimal numbers
// must fit 32 signed bits. Anything else, and empty text, is no number.
std::optional<std::int32_t> parseInteger(QStringView text);

class SettingsStore {
public:
    // Opens the store at storePath() as it is now (so tests may move XDG_CONFIG_HOME).
    SettingsStore();
    // Opens the store at a given file (tests).
    explicit SettingsStore(const QString& filePath);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    static QString storePath();
    const QString& filePath() const;

    // A missing value (or section) gives the default; text that is not a whole number
    // (or empty text) gives the default too.
    std::int32_t readInteger(const QString& section, const QString& name, std::int32_t def);
    QString readText(const QString& section, const QString& name, const QString& def);

    void writeInteger(const QString& section, const QString& name, std::int32_t value);
    void writeText(const QString& section, const QString& name, const QString& value);

    // Puts what was written into the file (a reading store writes nothing). Raises Error
    // when the file could not be written. Closing twice does nothing more.
    void close();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace verlo::settings
