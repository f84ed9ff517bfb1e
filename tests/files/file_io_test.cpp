// Whole-file reading and the replacing write, on real files in a temporary folder.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/file_io.h"

using namespace verlo::files;

namespace {

void put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray get(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

// Names in the folder other than the ones given: left-over temporary files.
QStringList strays(const QString& dir, const QStringList& expected) {
    QStringList names = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
    for (const auto& e : expected)
        names.removeAll(e);
    return names;
}

}  // namespace

class FileIoTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString at(const QString& name) const { return dir.filePath(name); }
};

TEST_F(FileIoTest, ReadsBytesUnchanged) {
    const QByteArray bytes("\x95\x5c\r\nabc\rx\n\x00\xff", 11);
    put(at("a.txt"), bytes);
    const auto read = readWholeFile(at("a.txt"));
    ASSERT_TRUE(read);
    EXPECT_EQ(QByteArray::fromStdString(*read), bytes);
}

TEST_F(FileIoTest, MissingFilesAndFoldersCannotBeRead) {
    EXPECT_FALSE(readWholeFile(at("nothing.txt")));
    EXPECT_FALSE(readWholeFile(dir.path()));
    EXPECT_FALSE(readWholeFile(QString()));
}

TEST_F(FileIoTest, WritesANewFileWithTheUsualPermissions) {
    ASSERT_TRUE(writeFileReplacing(at("new.txt"), "hello\r\n"));
    EXPECT_EQ(get(at("new.txt")), "hello\r\n");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(modeOf(at("new.txt")), 0666 & ~mask);
    EXPECT_EQ(strays(dir.path(), {"new.txt"}), QStringList());
}

TEST_F(FileIoTest, ReplacingKeepsPermissions) {
    put(at("p.txt"), "old");
    ASSERT_TRUE(QFile::setPermissions(at("p.txt"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    ASSERT_EQ(modeOf(at("p.txt")), 0640u);
    ASSERT_TRUE(writeFileReplacing(at("p.txt"), "new"));
    EXPECT_EQ(get(at("p.txt")), "new");
    EXPECT_EQ(modeOf(at("p.txt")), 0640u);
}

TEST_F(FileIoTest, WritesThroughASymbolicLink) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("real"));
    put(at("real/target.txt"), "old");
    ASSERT_EQ(::symlink("real/target.txt", QFile::encodeName(at("link.txt")).constData()), 0);
    ASSERT_EQ(::symlink("link.txt", QFile::encodeName(at("link2.txt")).constData()), 0);
    ASSERT_TRUE(writeFileReplacing(at("link2.txt"), "new"));
    EXPECT_TRUE(QFileInfo(at("link.txt")).isSymLink());
    EXPECT_TRUE(QFileInfo(at("link2.txt")).isSymLink());
    EXPECT_EQ(get(at("real/target.txt")), "new");
    EXPECT_EQ(strays(at("real"), {"target.txt"}), QStringList());
}

TEST_F(FileIoTest, DanglingLinkCreatesItsTarget) {
    ASSERT_EQ(::symlink("made.txt", QFile::encodeName(at("dangling.txt")).constData()), 0);
    ASSERT_TRUE(writeFileReplacing(at("dangling.txt"), "x"));
    EXPECT_EQ(get(at("made.txt")), "x");
    EXPECT_TRUE(QFileInfo(at("dangling.txt")).isSymLink());
}

TEST_F(FileIoTest, FailuresLeaveTheOldFileWholeAndNoTemporaryFile) {
    put(at("ro.txt"), "keep me");
    ASSERT_TRUE(QFile::setPermissions(at("ro.txt"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    EXPECT_FALSE(writeFileReplacing(at("ro.txt"), "lost"));
    EXPECT_EQ(get(at("ro.txt")), "keep me");

    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    EXPECT_FALSE(writeFileReplacing(at("folder"), "x"));
    EXPECT_TRUE(QFileInfo(at("folder")).isDir());

    EXPECT_FALSE(writeFileReplacing(at("no/such/folder/a.txt"), "x"));
    EXPECT_FALSE(writeFileReplacing(QString(), "x"));

    ASSERT_EQ(::symlink("loop2", QFile::encodeName(at("loop1")).constData()), 0);
    ASSERT_EQ(::symlink("loop1", QFile::encodeName(at("loop2")).constData()), 0);
    EXPECT_FALSE(writeFileReplacing(at("loop1"), "x"));

    EXPECT_EQ(strays(dir.path(), {"ro.txt", "folder", "loop1", "loop2"}), QStringList());
}

// A full disk: a small tmpfs where the mount is allowed (as root), otherwise skipped.
TEST_F(FileIoTest, FullDiskLeavesTheOldFileWhole) {
    const QString mnt = at("small");
    ASSERT_TRUE(QDir(dir.path()).mkdir("small"));
    if (::mount("tmpfs", QFile::encodeName(mnt).constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    struct Unmount {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount{QFile::encodeName(mnt)};

    const QString file = mnt + "/novel.txt";
    ASSERT_TRUE(writeFileReplacing(file, std::string(20 * 1024, 'a')));
    EXPECT_FALSE(writeFileReplacing(file, std::string(60 * 1024, 'b')));
    EXPECT_EQ(get(file), QByteArray(20 * 1024, 'a'));
    EXPECT_EQ(strays(mnt, {"novel.txt"}), QStringList());
}
