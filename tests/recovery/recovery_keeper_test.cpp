// The keeper of the document's recovery copy, on a real document and folder.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "recovery/recovery_keeper.h"
#include "support/test_text.h"
#include "text/document.h"

using namespace verlo::recovery;
using verlo::text::Document;
using verlo::text::EditKind;

namespace {

class RecoveryKeeperTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    Document doc;
    RecoveryStore store{dir.filePath("recovery").toStdString()};
    RecoveryKeeper keeper{store, doc, [] {
                              RecoveryCopy c;
                              c.path = "/a/b.txt";
                              c.caret = 1;
                              return c;
                          }};

    void SetUp() override { keeper.setIdleDelay(1); }

    void change(std::size_t pos, std::size_t len, std::string_view bytes) {
        doc.replace(pos, len, bytes, EditKind::Edit);
        keeper.documentChanged();
    }
    void settle() {
        while (keeper.busy()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    std::optional<std::string> copied() const {
        if (!store.hasCopy()) return std::nullopt;
        const auto copy = parseCopy(verlo::test::readBytes(store.copyPath()));
        return copy ? std::optional(copy->text) : std::optional<std::string>("<torn>");
    }
};

}  // namespace

TEST_F(RecoveryKeeperTest, AModifiedTextIsCopiedAfterAPauseAndGoesWhenSettled) {
    doc.setModified(false);
    change(0, 0, "abc");
    EXPECT_EQ(copied(), std::nullopt);  // not before the pause
    settle();
    EXPECT_EQ(copied(), "abc");
    const auto copy = parseCopy(verlo::test::readBytes(store.copyPath()));
    EXPECT_EQ(copy->path, "/a/b.txt");
    EXPECT_GT(copy->written, 0);

    doc.undo();  // back to the saved text: no copy is needed
    keeper.documentChanged();
    EXPECT_EQ(copied(), std::nullopt);
    doc.redo();
    keeper.documentChanged();
    settle();
    EXPECT_EQ(copied(), "abc");
    keeper.discard();
    settle();
    EXPECT_EQ(copied(), std::nullopt);
}

TEST_F(RecoveryKeeperTest, ALargeTextIsCopiedInSlicesAndAChangeMeanwhileStartsAgain) {
    const std::string sample = verlo::test::sampleText();
    const std::string big = verlo::test::repeat(sample, static_cast<int>(1 + 3 * RecoveryKeeper::kSliceBytes / sample.size()));
    ASSERT_GT(big.size(), 3 * RecoveryKeeper::kSliceBytes);
    change(0, 0, big);
    // Let the copying start, then change the text between two slices.
    while (!keeper.copying()) QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    ASSERT_TRUE(keeper.copying());  // more than one slice to go
    change(0, 0, "X");
    EXPECT_FALSE(keeper.copying());
    settle();
    EXPECT_EQ(copied(), "X" + big);
}

TEST_F(RecoveryKeeperTest, WriteNowIsWholeAtOnceAndDiscardDropsWhatIsOnItsWay) {
    change(0, 0, "typed");
    ASSERT_TRUE(keeper.writeNow());
    EXPECT_EQ(copied(), "typed");
    change(5, 0, " more");
    keeper.discard();  // saved before the pause ended
    settle();
    EXPECT_EQ(copied(), std::nullopt);
}
