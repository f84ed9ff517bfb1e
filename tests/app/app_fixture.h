// Shared by the main-window tests: each test starts the real main window (and the hidden
// settings dialog) with its own empty settings and state folders (XDG_CONFIG_HOME and
// XDG_STATE_HOME pointed at temporary folders) and the scripted answerer in place of the boxes and dialogs.
#pragma once

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "app/main_window.h"
#include "app/program.h"
#include "edit/edit_control.h"
#include "session/document_session.h"
#include "platform/startup.h"
#include "support/scripted_answerer.h"

namespace verlo::app::testing {

class AppTest : public ::testing::Test {
protected:
    QTemporaryDir config;
    QTemporaryDir files;
    QTemporaryDir state;  // recovery copies
    verlo::test::ScriptedAnswerer answers;
    dialogs::TForm2* form2 = nullptr;

    static void SetUpTestSuite() { platform::installFontSubstitutions(); }

    void SetUp() override {
        ASSERT_TRUE(config.isValid());
        ASSERT_TRUE(files.isValid());
        ASSERT_TRUE(state.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    }

    // Program start up to the point where the window would be shown.
    std::unique_ptr<TForm1> start(const QString& commandLineFile = QString()) {
        ProgramWindows windows = createProgramWindows(commandLineFile);
        form2 = windows.form2;
        return std::move(windows.form1);
    }

    // Shown and active, for tests that press keys.
    std::unique_ptr<TForm1> startShown(const QString& commandLineFile = QString()) {
        auto form = start(commandLineFile);
        showMainWindow(*form);
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return form;
    }

    QString iniPath() const { return config.filePath(QStringLiteral("Tarnvel/Verlo.ini")); }

    void writeIni(const QByteArray& text) {
        ASSERT_TRUE(QDir(config.path()).mkpath(QStringLiteral("Tarnvel")));
        QFile f(iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    // The INI file read as text: "Section/Name" -> the value's text as it stands there.
    QMap<QString, QString> iniValues() const {
        QMap<QString, QString> values;
        QFile f(iniPath());
        if (!f.open(QIODevice::ReadOnly))
            return values;
        QString section;
        for (const QString& line : QString::fromUtf8(f.readAll()).split(u'\n')) {
            if (line.startsWith(u'[') && line.endsWith(u']'))
                section = line.mid(1, line.size() - 2);
            else if (const qsizetype eq = line.indexOf(u'='); eq > 0)
                values.insert(section + u'/' + line.left(eq), line.mid(eq + 1));
        }
        return values;
    }

    QString path(const QString& name) const { return files.filePath(name); }

    static void putFile(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    static QByteArray fileBytes(const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return QByteArray("<unreadable>");
        return f.readAll();
    }

    static QString indicator(int line, int column, int lines) {
        return caretIndicator(line, column, lines);
    }
};

}  // namespace verlo::app::testing
