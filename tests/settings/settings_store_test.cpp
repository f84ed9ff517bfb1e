// The settings store on a real INI file in a temporary folder: text in, text out.
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>
#include <QDir>

#include "settings/colors.h"
#include "platform/error.h"
#include "settings/settings_store.h"

using namespace verlo::settings;
using namespace verlo::platform;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QString errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.message();
    }
    return {};
}

}  // namespace

TEST(ParseInteger, DecimalAndDollarHex) {
    EXPECT_EQ(parseInteger(u"40"), 40);
    EXPECT_EQ(parseInteger(u"-7"), -7);
    EXPECT_EQ(parseInteger(u"+7"), 7);
    EXPECT_EQ(parseInteger(u"  12"), 12);
    EXPECT_EQ(parseInteger(u"$ff"), 255);
    EXPECT_EQ(parseInteger(u"$00E0FFFF"), 0x00E0FFFF);
    EXPECT_EQ(parseInteger(u"$FFFFFFFF"), -1);
    EXPECT_EQ(parseInteger(u"2147483647"), 2147483647);
    EXPECT_EQ(parseInteger(u"-2147483648"), INT32_MIN);
}

TEST(ParseInteger, NotWholeNumbers) {
    for (const char16_t* s : {u"", u" ", u"abc", u"12a", u"1.5", u"$", u"$123456789", u"2147483648",
                              u"$G1", u"12 ", u"0x10", u"-"}) {
        EXPECT_FALSE(parseInteger(s).has_value()) << QString::fromUtf16(s).toStdString();
    }
}

class SettingsStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("Tarnvel/Verlo.ini")); }
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Tarnvel")));
    }
};

TEST_F(SettingsStoreTest, MissingFileAndValuesGiveDefaults) {
    SettingsStore store(path());
    EXPECT_EQ(store.readInteger("Window", "Gyou", 40), 40);
    EXPECT_EQ(store.readText("Font", "Name", "ＭＳ ゴシック"), QStringLiteral("ＭＳ ゴシック"));
    store.close();
    EXPECT_FALSE(QFile::exists(path())) << "reading alone must not create the store";
}

TEST_F(SettingsStoreTest, ValuesAreWrittenAsTextAndReadBack) {
    {
        SettingsStore store(path());
        store.writeInteger("Window", "Gyou", 40);
        store.writeInteger("Window", "Left", -12);
        store.writeText("Font", "Name", "ＭＳ ゴシック");
        store.writeText("Font", "Color", colorToText(clBlack));
        store.writeText("Window", "Odd", "a,b");
        store.writeText("Window", "At", "@Variant(x)");
        store.close();
    }
    const QString ini = QString::fromUtf8(readFile(path()));
    EXPECT_TRUE(ini.contains("[Window]"));
    EXPECT_TRUE(ini.contains("[Font]"));
    EXPECT_TRUE(ini.contains("Gyou=40\n"));
    EXPECT_TRUE(ini.contains("Left=-12\n"));
    EXPECT_TRUE(ini.contains("Name=ＭＳ ゴシック\n"));
    EXPECT_TRUE(ini.contains("Color=clBlack\n"));

    SettingsStore again(path());
    EXPECT_EQ(again.readInteger("Window", "Gyou", 0), 40);
    EXPECT_EQ(again.readInteger("Window", "Left", 0), -12);
    EXPECT_EQ(again.readText("Font", "Name", ""), QStringLiteral("ＭＳ ゴシック"));
    // Texts that look like other types come back as the texts written.
    EXPECT_EQ(again.readText("Window", "Odd", ""), QStringLiteral("a,b"));
    EXPECT_EQ(again.readText("Window", "At", ""), QStringLiteral("@Variant(x)"));
}

TEST_F(SettingsStoreTest, NonNumbersAndEmptyTextReadAsDefault) {
    writeFile(path(), "[Window]\nGyou=abc\nRetsu=\nLeft=$10\nTop= 5\n");
    SettingsStore store(path());
    EXPECT_EQ(store.readInteger("Window", "Gyou", 40), 40);
    EXPECT_EQ(store.readInteger("Window", "Retsu", 20), 20);
    EXPECT_EQ(store.readInteger("Window", "Left", 0), 16);
    EXPECT_EQ(store.readInteger("Window", "Top", 0), 5);
}

TEST_F(SettingsStoreTest, ValuesOfAnotherTypeAreErrors) {
    writeFile(path(), "[Window]\nGyou=1,2\nState=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n[Font]\nName=a, b\n");
    SettingsStore store(path());
    EXPECT_EQ(errorOf([&] { store.readInteger("Window", "Gyou", 40); }), QStringLiteral("'Gyou' のデータ型が不正です"));
    EXPECT_EQ(errorOf([&] { store.readInteger("Window", "State", 0); }), QStringLiteral("'State' のデータ型が不正です"));
    EXPECT_EQ(errorOf([&] { store.readText("Font", "Name", ""); }), QStringLiteral("'Name' のデータ型が不正です"));
}

// Values QSettings would decode through QDataStream, however the file spells them, are
// refused before QSettings parses them: here each holds a valid text "x", which QSettings
// itself reads as text, and the key after it in the section is read as usual.
TEST_F(SettingsStoreTest, DecodedValuesAreRefusedHoweverSpelled) {
    const QByteArray variant = R"(Variant(\0\0\0\n\0\0\0\x2\0x))";
    const QByteArray spellings[] = {
        "@" + variant,          "\"@" + variant + "\"", "\\x40" + variant,    "\\100" + variant,
        "  @" + variant + "  ", "\\\n@" + variant,      "@DateTime(\\0\\0)", "@ByteArray(x)",
        "y, @" + variant,
    };
    for (const QByteArray& value : spellings) {
        SCOPED_TRACE(value.toStdString());
        writeFile(path(), "[Window]\nLeft=" + value + "\nTop=7\n");
        if (value.contains(variant) && !value.contains(',')) {
            EXPECT_EQ(QSettings(path(), QSettings::IniFormat).value("Window/Left"), QVariant(QStringLiteral("x")));
        }
        SettingsStore store(path());
        EXPECT_EQ(errorOf([&] { store.readInteger("Window", "Left", 0); }), QStringLiteral("'Left' のデータ型が不正です"));
        EXPECT_EQ(store.readInteger("Window", "Top", 0), 7);
        store.writeInteger("Window", "Top", 8);
        store.close();
        const QByteArray written = readFile(path());
        EXPECT_FALSE(written.contains("Left")) << written.toStdString();
        EXPECT_TRUE(written.contains("Top=8")) << written.toStdString();
    }
}

TEST_F(SettingsStoreTest, OtherValuesOfTheFileAreKeptOnWrite) {
    writeFile(path(), "[Window]\nGyou=40\n[Other]\nMine=1\n");
    SettingsStore store(path());
    store.writeInteger("Window", "Gyou", 41);
    store.close();
    const QByteArray ini = readFile(path());
    EXPECT_TRUE(ini.contains("Gyou=41\n"));
    EXPECT_TRUE(ini.contains("[Other]\nMine=1\n"));
}

TEST_F(SettingsStoreTest, AFileThatCannotBeWrittenFailsAtClose) {
    // A plain file where the store's folder should be: nothing can be created under it,
    // whoever runs the test.
    writeFile(dir.filePath("blocked"), "x");
    SettingsStore store(dir.filePath("blocked/Verlo.ini"));
    store.writeInteger("Window", "State", 0);
    store.writeInteger("Font", "Style", 0);
    EXPECT_EQ(errorOf([&] { store.close(); }), QStringLiteral("キー Window の作成に失敗しました"));
}

// A line starting with "#" makes the reader report a format error; the write must still
// be judged by what happened to the file.
TEST_F(SettingsStoreTest, AnUnparsableLineStillLetsTheStoreBeWritten) {
    const QString file = path();
    writeFile(file, "[Window]\n#note\nGyou=40\n");
    SettingsStore store(file);
    EXPECT_EQ(store.readInteger("Window", "Gyou", 0), 40);
    store.writeInteger("Window", "Gyou", 41);
    EXPECT_EQ(errorOf([&] { store.close(); }), QString());
    EXPECT_TRUE(readFile(file).contains("Gyou=41"));
}

TEST_F(SettingsStoreTest, AnUnparsableLineDoesNotHideAFailedWrite) {
    // The folder is made read-only: a tmpfs remounted read-only where mounting is allowed
    // (the superuser writes into any folder otherwise), else by its permission bits.
    const QString folder = dir.filePath("Tarnvel");
    const QByteArray native = QFile::encodeName(folder);
    const bool mounted = ::mount("tmpfs", native.constData(), "tmpfs", 0, "size=64k") == 0;
    struct Unmount {
        bool active;
        QByteArray path;
        ~Unmount() { if (active) ::umount2(path.constData(), MNT_DETACH); }
    } unmount{mounted, native};
    if (!mounted && ::geteuid() == 0)
        GTEST_SKIP() << "the superuser writes into a read-only folder and no tmpfs can be mounted";

    const QString file = path();
    writeFile(file, "[Window]\n#note\nGyou=40\n");
    if (mounted)
        ASSERT_EQ(::mount("tmpfs", native.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0);
    else
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);

    SettingsStore store(file);
    EXPECT_EQ(store.readInteger("Window", "Gyou", 0), 40);
    store.writeInteger("Window", "Gyou", 41);
    EXPECT_EQ(errorOf([&] { store.close(); }), QStringLiteral("キー Window の作成に失敗しました"));
    if (!mounted)
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(readFile(file).contains("Gyou=40"));
}
