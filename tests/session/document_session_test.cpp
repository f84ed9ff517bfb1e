// The document session against files on disk: every encoding and line break read, edited
// and saved gives exactly the bytes an independent converter (glibc's iconv) makes of the
// edited text; reading in pieces, watchers and revisions, the modified flag, and files that
// cannot be read.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "session/document_session.h"
#include "support/test_text.h"

namespace verlo::session {
namespace {

using files::Encoding;
using files::LineBreak;
using test::iconvert;
using test::readBytes;
using test::sjis;
using test::writeBytes;

struct EncodingCase {
    Encoding encoding;
    const char* iconvName;
    std::string mark;  // the byte-order mark the file starts with
};

const EncodingCase kEncodings[] = {
    {Encoding::ShiftJis, "CP932", ""},
    {Encoding::Utf8, "UTF-8", ""},
    {Encoding::Utf8Bom, "UTF-8", "\xEF\xBB\xBF"},
    {Encoding::EucJp, "EUC-JP", ""},
    {Encoding::Utf16Le, "UTF-16LE", "\xFF\xFE"},
    {Encoding::Utf16Be, "UTF-16BE", "\xFE\xFF"},
    {Encoding::Iso2022Jp, "ISO-2022-JP", ""},
};

const std::pair<LineBreak, std::string> kBreaks[] = {
    {LineBreak::CrLf, "\r\n"}, {LineBreak::Lf, "\n"}, {LineBreak::Cr, "\r"}};

// What the file holds: a text written in UTF-8 with "|" for each line break, in an encoding.
std::string fileOf(const EncodingCase& e, const std::string& utf8, const std::string& lineBreak) {
    std::string text;
    for (char c : utf8) text += c == '|' ? lineBreak : std::string(1, c);
    return e.mark + iconvert("UTF-8", e.iconvName, text);
}

// An edit of the document, and the same edit of the UTF-8 text it is checked against.
struct Edit {
    const char* what;
    std::function<void(text::Document&)> apply;
    std::string after;  // the text afterwards, "|" for each break
};

const std::string kText = "吾輩は猫である。|名前はまだ無い。|どこで生れたか。|";

const Edit kEdits[] = {
    {"nothing", [](text::Document&) {}, kText},
    {"typed at a line's start",
     [](text::Document& d) {
         d.replace(d.lineStart(1), 0, sjis(u"雨"), text::EditKind::Typing);
         d.replace(d.lineStart(1) + 2, 0, sjis(u"、"), text::EditKind::Typing);
     },
     "吾輩は猫である。|雨、名前はまだ無い。|どこで生れたか。|"},
    {"a line break deleted",
     [](text::Document& d) { d.replace(d.lineEnd(0), d.lineBreakLength(0), "", text::EditKind::Edit); },
     "吾輩は猫である。名前はまだ無い。|どこで生れたか。|"},
    {"typed, then undone to the saved text",
     [](text::Document& d) {
         d.replace(0, 0, "x", text::EditKind::Typing);
         d.undo();
     },
     kText},
};

class DocumentSessionTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    std::string bytesOf(const char* name) const { return readBytes(path(name).toStdString()); }

    QTemporaryDir dir;
    DocumentSession session{dir.filePath(QStringLiteral("recovery")).toStdString(),
                            dir.filePath(QStringLiteral("discarded")).toStdString()};
};

TEST_F(DocumentSessionTest, EveryEncodingAndLineBreakSavesExactlyTheEditedText) {
    for (const EncodingCase& e : kEncodings)
        for (const auto& [lineBreak, breakBytes] : kBreaks)
            for (const Edit& edit : kEdits) {
                SCOPED_TRACE(std::string(e.iconvName) + (e.mark.empty() ? "" : " with its mark") + ", " +
                             std::to_string(breakBytes.size()) + "-byte breaks, " + edit.what);
                const std::string file = fileOf(e, kText, breakBytes);
                writeBytes(path("a.txt").toStdString(), file);
                const LoadResult read = session.load(path("a.txt"), e.encoding, {});
                ASSERT_EQ(read.outcome, LoadOutcome::Loaded);
                EXPECT_EQ(session.format().encoding, e.encoding);
                EXPECT_EQ(session.format().lineBreak, lineBreak);
                EXPECT_FALSE(session.modified());
                edit.apply(session.document());
                EXPECT_EQ(session.modified(), edit.after != kText);
                ASSERT_TRUE(session.save().ok);
                EXPECT_FALSE(session.modified());
                EXPECT_EQ(bytesOf("a.txt"), fileOf(e, edit.after, breakBytes));
            }
}

TEST_F(DocumentSessionTest, ATextChangesEncodingOnlyWhereTheNewOneHoldsEveryCharacter) {
    // Read as UTF-8, ♡ and 𠮟 stand in user-defined-area codes of the document.
    const std::string text = "心♡と𠮟る|";
    writeBytes(path("u.txt").toStdString(), fileOf(kEncodings[1], text, "\n"));
    ASSERT_EQ(session.load(path("u.txt"), std::nullopt, {}).outcome, LoadOutcome::Loaded);
    EXPECT_EQ(session.format().encoding, Encoding::Utf8);
    for (const EncodingCase& e : kEncodings) {
        SCOPED_TRACE(e.iconvName);
        const std::u32string refused = session.setEncoding(e.encoding);
        const bool holds = e.encoding != Encoding::ShiftJis && e.encoding != Encoding::EucJp &&
                           e.encoding != Encoding::Iso2022Jp;
        if (!holds) {  // nothing changes
            EXPECT_EQ(refused, U"♡𠮟");
            EXPECT_NE(session.format().encoding, e.encoding);
            continue;
        }
        EXPECT_TRUE(refused.empty());
        ASSERT_EQ(session.format().encoding, e.encoding);
        ASSERT_TRUE(session.saveAs(path("out.txt")).ok);
        EXPECT_EQ(bytesOf("out.txt"), fileOf(e, text, "\n"));
        EXPECT_EQ(session.fileName(), path("out.txt"));
    }
}

struct Told : Watcher {
    std::vector<std::pair<text::Change, std::uint64_t>> changes;
    void documentChanged(const text::Change& c, std::uint64_t revision) override { changes.emplace_back(c, revision); }
};

TEST_F(DocumentSessionTest, ALargeFileComesInPiecesAndIsToldAsOneChange) {
    std::string text;
    for (int i = 0; text.size() < (5u << 20); ++i) text += "第" + std::to_string(i) + "行の文章です。\n";
    const std::string file = iconvert("UTF-8", "CP932", text);
    writeBytes(path("big.txt").toStdString(), file);
    Told told;
    session.watch(&told);
    ASSERT_EQ(session.load(path("big.txt"), std::nullopt, {}).outcome, LoadOutcome::Loaded);
    ASSERT_TRUE(session.loading());
    EXPECT_LT(session.document().length(), file.size());
    ASSERT_EQ(told.changes.size(), 1u);  // the first piece
    EXPECT_TRUE(told.changes[0].first.whole);
    session.finishLoading();
    EXPECT_FALSE(session.loading());
    ASSERT_EQ(told.changes.size(), 2u);  // the rest, at once
    EXPECT_EQ(told.changes[0].first.inserted + told.changes[1].first.inserted, file.size());
    EXPECT_GT(told.changes[1].second, told.changes[0].second);
    EXPECT_EQ(session.format().lineBreak, LineBreak::Lf);
    session.document().replace(0, 0, "x", text::EditKind::Typing);
    ASSERT_EQ(told.changes.size(), 3u);
    EXPECT_EQ(told.changes[2].second, session.revision());
    session.unwatch(&told);
    ASSERT_TRUE(session.save().ok);
    EXPECT_EQ(bytesOf("big.txt"), "x" + file);
}

TEST_F(DocumentSessionTest, AFileThatCannotBeReadChangesNothing) {
    writeBytes(path("a.txt").toStdString(), "kept");
    ASSERT_EQ(session.load(path("a.txt"), std::nullopt, {}).outcome, LoadOutcome::Loaded);
    session.document().replace(0, 0, "x", text::EditKind::Typing);
    for (const char* name : {"missing.txt", "."}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(session.load(path(name), std::nullopt, {}).outcome, LoadOutcome::Unreadable);
        EXPECT_EQ(session.document().text(), "xkept");
        EXPECT_EQ(session.fileName(), path("a.txt"));
        EXPECT_TRUE(session.modified());
    }
    // A save that cannot be written leaves the text modified and bound as it was.
    const SaveResult failed = session.saveAs(dir.filePath(QStringLiteral("no/such/folder.txt")));
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(session.fileName(), path("a.txt"));
    EXPECT_TRUE(session.modified());
}

TEST_F(DocumentSessionTest, ANewTextIsUntitledInItsFormatAndUnmodified) {
    writeBytes(path("a.txt").toStdString(), "abc\n");
    ASSERT_EQ(session.load(path("a.txt"), std::nullopt, {}).outcome, LoadOutcome::Loaded);
    session.setLineBreak(LineBreak::CrLf);
    EXPECT_TRUE(session.modified());  // how it is kept changed
    files::TextFormat format;
    format.encoding = Encoding::Utf8;
    format.lineBreak = LineBreak::Cr;
    session.newDocument(format);
    EXPECT_FALSE(session.titled());
    EXPECT_FALSE(session.modified());
    EXPECT_EQ(session.document().length(), 0u);
    EXPECT_EQ(session.format(), format);
    EXPECT_EQ(session.document().lineBreak(), "\r");
    EXPECT_TRUE(session.document().standIns().accepting());
}

}  // namespace
}  // namespace verlo::session
