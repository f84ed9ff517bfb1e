// Whole-file reading and the replacing write, on real files in a temporary folder.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <new>
#include <vector>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

    // Written in place (a hard link): the space is reserved before the file is touched.
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(mnt + "/link.txt").constData()), 0);
    WriteFailure failure = WriteFailure::None;
    EXPECT_FALSE(writeFileReplacing(file, std::string(80 * 1024, 'b'), [] { return true; }, &failure));
    EXPECT_EQ(failure, WriteFailure::NotWritten);
    EXPECT_EQ(get(file), QByteArray(20 * 1024, 'a'));
}

namespace {

// Runs f in a child process (as `uid` when given) and answers whether it returned true.
bool inChild(const std::function<bool()>& f, uid_t uid = static_cast<uid_t>(-1)) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (uid != static_cast<uid_t>(-1) && (::setgid(uid) != 0 || ::setuid(uid) != 0))
            ::_exit(2);
        ::_exit(f() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A process id that no process has now: a child that has ended.
pid_t endedPid() {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

}  // namespace

TEST_F(FileIoTest, LeftoversOfKilledSavesAreRemovedButNotALiveSave) {
    put(at("a.txt"), "old");
    const QString dead = QStringLiteral(".a.txt.verlo-%1-Ab3dEf").arg(endedPid());
    const QString ours = QStringLiteral(".a.txt.verlo-%1-xYz123").arg(::getpid());
    const QString otherFile = QStringLiteral(".b.txt.verlo-%1-Ab3dEf").arg(endedPid());
    for (const QString& name : {dead, ours, otherFile})
        put(at(name), "leftover");

    // A save running in another process: its temporary file is locked while it writes.
    const QString live = QStringLiteral(".a.txt.verlo-%1-Qq1Qq1");
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t writer = ::fork();
    if (writer == 0) {
        const QByteArray name = QFile::encodeName(at(live.arg(::getpid())));
        const int fd = ::open(name.constData(), O_CREAT | O_WRONLY, 0600);
        ::flock(fd, LOCK_EX);
        char c = 1;
        (void)!::write(ready[1], &c, 1);
        (void)!::read(release[0], &c, 1);
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);

    ASSERT_TRUE(writeFileReplacing(at("a.txt"), "new"));
    EXPECT_EQ(get(at("a.txt")), "new");
    EXPECT_EQ(strays(dir.path(), {"a.txt"}), (QStringList{live.arg(writer), otherFile}));

    // Once the other save is over (its process gone), its file is a leftover too.
    (void)!::write(release[1], &c, 1);
    ::waitpid(writer, nullptr, 0);
    removeLeftoverTemporaries(at("a.txt"));
    EXPECT_EQ(strays(dir.path(), {"a.txt"}), QStringList{otherFile});
    for (int fd : {ready[0], ready[1], release[0], release[1]})
        ::close(fd);
}

TEST_F(FileIoTest, AKilledSaveLeavesNoFileForever) {
    put(at("big.txt"), "old");
    const std::string big(64 << 20, 'x');
    const pid_t saver = ::fork();
    if (saver == 0)
        ::_exit(writeFileReplacing(at("big.txt"), big) ? 0 : 1);
    // Kill it once its temporary file is there (or let it finish on a fast disk).
    while (strays(dir.path(), {"big.txt"}).isEmpty() && ::waitpid(saver, nullptr, WNOHANG) == 0)
        ::usleep(200);
    ::kill(saver, SIGKILL);
    ::waitpid(saver, nullptr, 0);
    const QByteArray after = get(at("big.txt"));
    EXPECT_TRUE(after == "old" || after.size() == static_cast<qsizetype>(big.size()));  // never a mixture
    ASSERT_TRUE(writeFileReplacing(at("big.txt"), "small"));
    EXPECT_EQ(strays(dir.path(), {"big.txt"}), QStringList());
}

TEST_F(FileIoTest, AHardLinkedFileIsWrittenInPlaceAfterItsCopyIsKept) {
    put(at("a.txt"), "old text, longer than the new");
    ASSERT_EQ(::link(QFile::encodeName(at("a.txt")).constData(), QFile::encodeName(at("b.txt")).constData()), 0);
    int kept = 0;
    const auto keep = [&kept] { return ++kept, true; };
    WriteFailure failure = WriteFailure::NotWritten;
    ASSERT_TRUE(writeFileReplacing(at("a.txt"), "new", keep, &failure));
    EXPECT_EQ(failure, WriteFailure::None);
    EXPECT_EQ(kept, 1);
    EXPECT_EQ(get(at("a.txt")), "new");
    EXPECT_EQ(get(at("b.txt")), "new");  // still one file
    ASSERT_TRUE(writeFileReplacing(at("b.txt"), std::string(100000, 'y'), keep));
    EXPECT_EQ(get(at("a.txt")), QByteArray(100000, 'y'));

    // When the text cannot be kept elsewhere, the file is not touched.
    EXPECT_FALSE(writeFileReplacing(at("a.txt"), "lost", [] { return false; }, &failure));
    EXPECT_EQ(failure, WriteFailure::NotWritten);
    EXPECT_EQ(get(at("b.txt")), QByteArray(100000, 'y'));
    EXPECT_EQ(strays(dir.path(), {"a.txt", "b.txt"}), QStringList());

    // Not asked to write in place: replaced, and the other name keeps the old bytes.
    ASSERT_TRUE(writeFileReplacing(at("a.txt"), "parted"));
    EXPECT_EQ(get(at("a.txt")), "parted");
    EXPECT_EQ(get(at("b.txt")), QByteArray(100000, 'y'));
}

TEST_F(FileIoTest, AWritableFileInAFolderWeCannotWriteIsWrittenInPlace) {
    // The folder belongs to someone else (the superuser tests as another user).
    const bool root = ::geteuid() == 0;
    const uid_t user = root ? 65534 : static_cast<uid_t>(-1);
    const QString folder = at("locked");
    ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
    const QString file = folder + "/a.txt";
    put(file, "old");
    const QByteArray nativeFile = QFile::encodeName(file);
    if (root) {
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
        ASSERT_EQ(::chown(nativeFile.constData(), user, user), 0);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    // Not asked to write in place: refused.
    EXPECT_FALSE(inChild([&] { return writeFileReplacing(file, "lost"); }, user));
    EXPECT_EQ(get(file), "old");
    EXPECT_TRUE(inChild([&] { return writeFileReplacing(file, "new text", [] { return true; }); }, user));
    EXPECT_EQ(get(file), "new text");
    EXPECT_EQ(strays(folder, {"a.txt"}), QStringList());
    // Not writable itself: refused as before.
    ASSERT_EQ(::chmod(nativeFile.constData(), 0444), 0);
    EXPECT_FALSE(inChild([&] { return writeFileReplacing(file, "lost", [] { return true; }); }, user));
    EXPECT_EQ(get(file), "new text");
    ::chmod(QFile::encodeName(folder).constData(), 0755);
}

namespace {

// A source of the given pieces that stops (answering false) after `failAfter` of them.
BytePieces piecesOf(std::vector<std::string> pieces, std::size_t failAfter = SIZE_MAX) {
    return [pieces = std::move(pieces), failAfter](const auto& put) {
        for (std::size_t k = 0; k < pieces.size(); ++k)
            if (k == failAfter || !put(pieces[k])) return false;
        return true;
    };
}

}  // namespace

TEST_F(FileIoTest, BytesMadeAsTheyAreWrittenKeepTheSameGuarantees) {
    ASSERT_TRUE(writeFileReplacing(at("a.txt"), piecesOf({"one ", "", "two ", "three"})));
    EXPECT_EQ(get(at("a.txt")), "one two three");

    // A source that stops, or cannot make its bytes, leaves the old file whole.
    WriteFailure failure = WriteFailure::None;
    EXPECT_FALSE(writeFileReplacing(at("a.txt"), piecesOf({"lost", "lost"}, 1), {}, &failure));
    EXPECT_EQ(failure, WriteFailure::NotWritten);
    const BytePieces throwing = [](const auto& put) -> bool {
        put("lost");
        throw std::bad_alloc();
    };
    EXPECT_THROW(writeFileReplacing(at("a.txt"), throwing), std::bad_alloc);
    EXPECT_EQ(get(at("a.txt")), "one two three");
    EXPECT_EQ(strays(dir.path(), {"a.txt"}), QStringList());

    // Written in place (a hard link): gathered first.
    ASSERT_EQ(::link(QFile::encodeName(at("a.txt")).constData(), QFile::encodeName(at("b.txt")).constData()), 0);
    ASSERT_TRUE(writeFileReplacing(at("a.txt"), piecesOf({"in ", "place"}), [] { return true; }));
    EXPECT_EQ(get(at("b.txt")), "in place");
    EXPECT_FALSE(writeFileReplacing(at("a.txt"), piecesOf({"lost", "lost"}, 1), [] { return true; }, &failure));
    EXPECT_EQ(failure, WriteFailure::NotWritten);
    EXPECT_EQ(get(at("b.txt")), "in place");
}

// The writer used piece by piece (PDF files, recovery copies): small and large writes,
// commit or not, the permissions of a new file, a path without a folder.
TEST_F(FileIoTest, AReplacingFileAppearsOnlyWhenCommitted) {
    enum class End { Commit, Cancel, Dropped };
    struct Case {
        const char* name;
        bool exists;
        std::vector<std::size_t> sizes;  // of the pieces written
        std::optional<unsigned> newFileMode;
        End end;
        mode_t mode;  // expected after a commit
    };
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const Case cases[] = {
        {"new.txt", false, {10, 70000, 5, 3}, 0600, End::Commit, 0600},
        {"usual.txt", false, {1}, std::nullopt, End::Commit, 0666 & ~mask},
        {"kept.txt", true, {3 << 20, 7}, 0600, End::Commit, 0640},
        {"cancelled.txt", true, {100, 2 << 20}, std::nullopt, End::Cancel, 0640},
        {"dropped.txt", true, {100, 2 << 20}, std::nullopt, End::Dropped, 0640},
    };
    const QString home = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));  // relative names: the folder is "."
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.exists) {
            put(c.name, "old");
            ASSERT_TRUE(QFile::setPermissions(c.name, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        }
        std::string expected;
        {
            ReplacingFile file(QString(c.name), {{}, c.newFileMode});
            ASSERT_TRUE(file.open());
            for (std::size_t k = 0; k < c.sizes.size(); ++k) {
                const std::string piece(c.sizes[k], static_cast<char>('a' + k));
                ASSERT_TRUE(file.write(piece));
                expected += piece;
            }
            if (c.end == End::Commit) {
                ASSERT_TRUE(file.commit());
                EXPECT_FALSE(file.commit());  // once only
            } else if (c.end == End::Cancel) {
                file.cancel();
                EXPECT_FALSE(file.commit());
            }
        }
        if (c.end == End::Commit) {
            EXPECT_EQ(get(c.name), QByteArray::fromStdString(expected));
            EXPECT_EQ(modeOf(c.name), c.mode);
        } else {
            EXPECT_EQ(get(c.name), "old");
        }
        EXPECT_EQ(strays(".", {c.name}), QStringList());
        QFile::remove(c.name);
    }
    QDir::setCurrent(home);
}

TEST_F(FileIoTest, ALockedFileIsLockedUnderItsName) {
    const std::string path = QFile::encodeName(at("id.lock")).toStdString();
    const int fd = createLockedFile(path);
    ASSERT_GE(fd, 0);
    const int other = ::open(path.c_str(), O_RDWR);
    ASSERT_GE(other, 0);
    EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
    ::close(other);
    ::close(fd);
    EXPECT_EQ(strays(dir.path(), {"id.lock"}), QStringList());
    EXPECT_EQ(createLockedFile(QFile::encodeName(at("no/such/id.lock")).toStdString()), -1);
}
