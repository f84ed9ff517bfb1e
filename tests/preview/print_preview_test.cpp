// The print preview command: the page staged in the scratch control, written, handed over.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "edit/edit_control.h"
#include "settings/settings.h"
#include "preview/print_preview.h"
#include "support/scripted_answerer.h"

using verlo::edit::EditControl;
using verlo::settings::Settings;
using verlo::preview::PrintPreview;

namespace {

const std::string kTwoLines = "\x82\xA0\x82\xA2\x82\xA4\r\n\x82\xA6\x82\xA8";  // あいう CR LF えお
const std::string kGothicBytes = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E";  // ＭＳ ゴシック

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QString cannotCreate(const QString& path) { return QStringLiteral("ファイル %1 を作成できません.").arg(path); }

struct Window {
    verlo::text::Document viewed;
    EditControl memo2{viewed};
    Settings settings;
    QStringList opened;
    QString target;
    PrintPreview preview{memo2, settings, nullptr, [this](const QString& p) { opened << p; },
                         [this] { return target; }};

    Window() {
        QFont font(QStringLiteral("ＭＳ ゴシック"));
        font.setPointSize(12);
        memo2.setTextFont(font);
        memo2.setText(kTwoLines);
    }
};

}  // namespace

TEST(PrintPreview, WritesTheWorkedExampleAndOpensIt) {
    QTemporaryDir tmp;
    Window w;
    w.target = tmp.filePath("print.html");
    w.settings.VerHor = 1;
    w.settings.Retsu = 20;
    EXPECT_EQ(w.preview.open(), w.target);
    const std::string expected =
        "<HTML>\r\n<BODY>\r\n<DIV style=\"direction:ltr;writing-mode:tb-rl;Height:240pt;font-size:12pt;"
        "font-family:'" + kGothicBytes + "';\">\r\n\x82\xA0\x82\xA2\x82\xA4<BR>\x82\xA6\x82\xA8</DIV></Body></html>";
    EXPECT_EQ(fileBytes(w.target).toStdString(), expected);
    EXPECT_EQ(w.memo2.text(), kTwoLines);
    EXPECT_EQ(w.opened, QStringList{w.target});

    // Again, horizontal and with other text: the same file is overwritten.
    w.settings.VerHor = 0;
    w.memo2.setText("a<b");
    EXPECT_EQ(w.preview.open(), w.target);
    EXPECT_EQ(fileBytes(w.target).toStdString(),
              "<HTML>\r\n<BODY>\r\n<DIV style=\"font-size:12pt;font-family:'" + kGothicBytes +
                  "';\">\r\na&lt;b</DIV></Body></html>");
    EXPECT_EQ(w.opened.size(), 2);
}

TEST(PrintPreview, CreatesTheCacheFolder) {
    QTemporaryDir tmp;
    Window w;
    w.target =
        verlo::preview::PreviewPagePath(tmp.filePath("no-such-program-folder"), tmp.filePath("cache"), "/home/u");
    EXPECT_EQ(w.target, tmp.filePath("cache/Verlo/print.html"));
    EXPECT_EQ(w.preview.open(), w.target);
    EXPECT_TRUE(QFile::exists(w.target));
}

TEST(PrintPreview, APageThatCannotBeWrittenIsReportedAndNotOpened) {
    QTemporaryDir tmp;
    verlo::test::ScriptedAnswerer answers;
    Window w;

    // A file stands where the folder should be.
    QFile blocker(tmp.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    w.target = tmp.filePath("blocker/print.html");
    EXPECT_EQ(w.preview.open(), QString());
    EXPECT_EQ(answers.errors(), QStringList{cannotCreate(w.target)});
    EXPECT_TRUE(w.opened.isEmpty());

    // An earlier page without any write permission stays whole.
    answers.clearAsked();
    w.target = tmp.filePath("print.html");
    QFile old(w.target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old page");
    old.close();
    ASSERT_TRUE(QFile::setPermissions(w.target, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    EXPECT_EQ(w.preview.open(), QString());
    EXPECT_EQ(answers.errors(), QStringList{cannotCreate(w.target)});
    EXPECT_EQ(fileBytes(w.target), "old page");
    EXPECT_TRUE(w.opened.isEmpty());
}

TEST(PrintPreview, ARelativePageNameIsReportedWithItsFullPath) {
    QTemporaryDir tmp;
    verlo::test::ScriptedAnswerer answers;
    Window w;
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(tmp.path()));
    QFile blocker(QStringLiteral("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    w.target = QStringLiteral("blocker/print.html");
    w.preview.open();
    QDir::setCurrent(saved);
    EXPECT_EQ(answers.errors(), QStringList{cannotCreate(QDir(tmp.path()).filePath("blocker/print.html"))});
}
