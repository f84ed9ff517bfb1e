// The texts given up at the save prompt: kept whole, newest first, at most twenty and none
// older than fourteen days; taken back once; files that are no whole copy left alone.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "recovery/discarded_texts.h"
#include "support/test_text.h"

namespace verlo::recovery {
namespace {

constexpr std::int64_t kDay = 24 * 60 * 60;
constexpr std::int64_t kNow = 1800000000;

RecoveryCopy given(std::int64_t written, const std::string& text) {
    RecoveryCopy copy;
    copy.path = "/home/a/novel.txt";
    copy.text = text;
    copy.written = written;
    return copy;
}

std::vector<std::string> texts(const std::vector<DiscardedTexts::Entry>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries) out.push_back(e.copy.text);
    return out;
}

TEST(DiscardedTexts, TheNewestTwentyOfTheLastFourteenDaysAreKept) {
    QTemporaryDir dir;
    DiscardedTexts kept(dir.filePath(QStringLiteral("discarded")).toStdString());
    ASSERT_TRUE(kept.keep(given(kNow - 15 * kDay, "too old")));
    ASSERT_TRUE(kept.keep(given(kNow - 13 * kDay, "old enough")));
    EXPECT_EQ(texts(kept.list(kNow)), std::vector<std::string>{"old enough"});
    for (int i = 0; i < DiscardedTexts::kKept; ++i)
        ASSERT_TRUE(kept.keep(given(kNow - 100 + i / 2, "text " + std::to_string(i))));  // two a second
    const auto list = kept.list(kNow);
    ASSERT_EQ(list.size(), static_cast<std::size_t>(DiscardedTexts::kKept));
    EXPECT_EQ(list.front().copy.text, "text 19");
    EXPECT_EQ(list.back().copy.text, "text 0");
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("discarded"))).entryList(QDir::Files).size(), DiscardedTexts::kKept);
    // Nothing of another program's is touched or taken for a text.
    test::writeBytes(dir.filePath(QStringLiteral("discarded/zzz.discarded")).toStdString(), "VERLO-RECOVERY 1\npath");
    EXPECT_EQ(kept.list(kNow).size(), static_cast<std::size_t>(DiscardedTexts::kKept));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("discarded/zzz.discarded"))));
}

TEST(DiscardedTexts, ATextIsTakenBackWholeOnce) {
    QTemporaryDir dir;
    DiscardedTexts kept(dir.filePath(QStringLiteral("discarded")).toStdString());
    const std::string text = "\x82\xA0\r\n" + std::string(100000, 'x');
    ASSERT_TRUE(kept.keep(given(kNow, text)));
    const auto list = kept.list(kNow);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(kept.take("../" + list[0].name), std::nullopt);
    const std::optional<RecoveryCopy> back = kept.take(list[0].name);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, given(kNow, text));
    EXPECT_EQ(kept.take(list[0].name), std::nullopt);
    EXPECT_TRUE(kept.list(kNow).empty());
}

}  // namespace
}  // namespace verlo::recovery
