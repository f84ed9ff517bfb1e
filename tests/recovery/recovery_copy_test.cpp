// Recovery copies as bytes, and the folder of copies shared by running instances.
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "recovery/recovery_copy.h"
#include "recovery/recovery_store.h"
#include "support/test_text.h"

using namespace verlo::recovery;

namespace {

RecoveryCopy sample(std::string text, std::string path = "/home/a/novel.txt") {
    RecoveryCopy c;
    c.path = std::move(path);
    c.caret = text.size() / 2;
    c.written = 1718000000;
    c.text = std::move(text);
    return c;
}

std::vector<std::string> copyTexts(const std::vector<Orphan>& orphans) {
    std::vector<std::string> out;
    for (const Orphan& o : orphans) out.push_back(o.copy.text);
    return out;
}

}  // namespace

TEST(RecoveryCopy, RoundTripsEveryFieldAndNoTornCopyIsTakenForOne) {
    const RecoveryCopy copies[] = {
        sample(""),
        sample("\x82\xA0\r\nabc\n\rVERLO-RECOVERY 1\nlength 3\n\n\x00\xFF", ""),
        sample(verlo::test::sampleText(), "/odd/na%me\nwith\rbreaks %0A"),
        [] {
            RecoveryCopy c = sample("\xF0\x40\xF0\x41");
            c.standIns = "F040=2661 F041=~FF";
            return c;
        }(),
    };
    for (const RecoveryCopy& c : copies) {
        const std::string bytes = serializeCopy(c);
        ASSERT_EQ(parseCopy(bytes), c) << c.path;
        for (std::size_t cut = 0; cut < bytes.size(); cut += 1 + bytes.size() / 97)
            EXPECT_FALSE(parseCopy(std::string_view(bytes).substr(0, cut))) << cut;
        EXPECT_FALSE(parseCopy(bytes + "x"));
    }
    EXPECT_FALSE(parseCopy("VERLO-RECOVERY 1\npath \nencoding x\nbreaks y\ncaret 9\nwritten 0\nlength 1\n\nx"));  // caret past the text
    EXPECT_FALSE(parseCopy("VERLO-RECOVERY 2\npath \nencoding x\nbreaks y\ncaret 0\nwritten 0\nlength 0\n\n"));
}

TEST(RecoveryCopy, FirstLineIsCutAtACharacterBoundary) {
    EXPECT_EQ(firstLine("abc\r\ndef", 10), "abc");
    EXPECT_EQ(firstLine("\x82\xA0\x82\xA2\x82\xA4", 3), "\x82\xA0");
    EXPECT_EQ(firstLine("", 5), "");
}

class RecoveryStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string folder() const { return dir.filePath("state/Verlo/recovery").toStdString(); }
};

TEST_F(RecoveryStoreTest, AnEndedInstancesCopyIsAnOrphanALiveOnesIsNot) {
    auto live = std::make_unique<RecoveryStore>(folder());
    ASSERT_TRUE(live->write(sample("live"), 1));
    {
        RecoveryStore ended(folder());
        ASSERT_TRUE(ended.write(sample("ended"), 1));
    }  // its end left the copy (the text was never saved nor given up)
    RecoveryStore clean(folder());
    ASSERT_TRUE(clean.write(sample("saved"), 1));
    clean.discard(1);

    RecoveryStore next(folder());
    const std::vector<Orphan> orphans = next.adoptOrphans();
    EXPECT_EQ(copyTexts(orphans), std::vector<std::string>{"ended"});
    // Held by `next`: another start does not offer it meanwhile.
    RecoveryStore other(folder());
    EXPECT_TRUE(other.adoptOrphans().empty());
    next.releaseOrphan(orphans.at(0).id);  // decided later
    const std::vector<Orphan> again = other.adoptOrphans();
    ASSERT_EQ(copyTexts(again), std::vector<std::string>{"ended"});
    other.removeOrphan(again.at(0).id);

    live.reset();  // the live instance ends too, leaving its copy
    EXPECT_EQ(copyTexts(RecoveryStore(folder()).adoptOrphans()), std::vector<std::string>{"live"});
}

TEST_F(RecoveryStoreTest, AKilledProcessLeavesAWholeCopy) {
    const pid_t child = ::fork();
    if (child == 0) {
        RecoveryStore store(folder());
        store.write(sample("first"), 1);
        store.write(sample("second"), 2);
        ::_exit(0);  // no destructor: as a crash
    }
    ::waitpid(child, nullptr, 0);
    RecoveryStore next(folder());
    EXPECT_EQ(copyTexts(next.adoptOrphans()), std::vector<std::string>{"second"});
}

TEST_F(RecoveryStoreTest, AWriteOvertakenByALaterOneOrADiscardIsDropped) {
    RecoveryStore store(folder());
    ASSERT_TRUE(store.write(sample("three"), 3));
    ASSERT_TRUE(store.write(sample("two"), 2));  // late: dropped
    EXPECT_EQ(parseCopy(verlo::test::readBytes(store.copyPath()))->text, "three");
    store.discard(4);
    EXPECT_FALSE(store.hasCopy());
    ASSERT_TRUE(store.write(sample("four"), 4));  // taken before the save: dropped
    EXPECT_FALSE(store.hasCopy());
    ASSERT_TRUE(store.write(sample("five"), 5));
    EXPECT_TRUE(store.hasCopy());
}
