// The preview page opened in a real browser: Debian's chromium, headless, when installed.
// The page is written by the command itself; the hand-over takes a screenshot instead of
// opening a window, and the screenshot must show text, in columns when vertical.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include "edit/edit_control.h"
#include "settings/settings.h"
#include "preview/print_preview.h"

using verlo::edit::EditControl;
using verlo::settings::Settings;
using verlo::preview::PrintPreview;

namespace {

QString browser() {
    for (const char* name : {"chromium", "chromium-browser", "google-chrome"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty()) return path;
    }
    return QString();
}

// A screenshot of the page; a null image when the browser made none.
QImage screenshot(const QString& program, const QString& page, const QTemporaryDir& tmp, const QString& png) {
    QProcess chromium;
    chromium.setProcessChannelMode(QProcess::MergedChannels);
    chromium.start(program, {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                             "--disable-background-networking", "--disable-component-update", "--disable-sync",
                             "--user-data-dir=" + tmp.filePath("profile"), "--screenshot=" + png,
                             "--window-size=800,600", QUrl::fromLocalFile(page).toString()});
    chromium.waitForFinished(-1);
    QImage shot(png);
    if (shot.isNull()) ADD_FAILURE() << "no screenshot; the browser said:\n" << chromium.readAll().toStdString();
    return shot;
}

// The bounding box of the dark pixels (the page's background is white).
QRect ink(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (QColor(image.pixel(x, y)).lightness() < 128) box |= QRect(x, y, 1, 1);
    return box;
}

}  // namespace

TEST(PreviewInBrowser, VerticalPageIsDrawnInColumns) {
    const QString program = browser();
    if (program.isEmpty()) GTEST_SKIP() << "no headless browser (chromium) installed: the page was not opened";

    QTemporaryDir tmp;
    verlo::text::Document viewed;
    EditControl memo2{viewed};
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPointSize(12);
    memo2.setTextFont(font);
    // 吾輩は猫である。 / 名前はまだ無い。 / <猫> & 犬 (markup shown as text)
    memo2.setText("\x8C\xE1\x94\x79\x82\xCD\x94\x4C\x82\xC5\x82\xA0\x82\xE9\x81\x42\r\n"
                  "\x96\xBC\x91\x4F\x82\xCD\x82\xDC\x82\xBE\x96\xB3\x82\xA2\x81\x42\r\n"
                  "<\x94\x4C> & \x8C\xA2");
    Settings settings;
    settings.Retsu = 20;
    QImage shots[2];
    for (int vertical = 0; vertical < 2; ++vertical) {
        settings.VerHor = vertical;
        const QString png = tmp.filePath(vertical ? "vertical.png" : "horizontal.png");
        PrintPreview preview(memo2, settings, nullptr,
                             [&](const QString& page) { shots[vertical] = screenshot(program, page, tmp, png); },
                             [&] { return tmp.filePath("print.html"); });
        ASSERT_FALSE(preview.open().isEmpty());
        ASSERT_FALSE(shots[vertical].isNull());
    }
    // Kept beside the test program to look at.
    shots[1].save(QStringLiteral(VERLO_BINARY_DIR "/preview_vertical.png"));

    const QRect across = ink(shots[0]);
    const QRect down = ink(shots[1]);
    ASSERT_TRUE(across.isValid()) << "nothing drawn on the horizontal page";
    ASSERT_TRUE(down.isValid()) << "nothing drawn on the vertical page";
    // Three lines of up to eight characters: wide when horizontal, tall in columns.
    EXPECT_GT(across.width(), across.height());
    EXPECT_GT(down.height(), down.width());
}
