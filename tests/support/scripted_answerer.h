// A scripted answerer for tests: it stands in for every modal box and dialog of the
// program, answers from queues the test fills, and records what was asked.
//
//   verlo::test::ScriptedAnswerer answers;      // installs itself; the destructor restores
//   answers.confirms.push_back(true);            // the next save prompt is answered Yes
//   answers.saveFiles.push_back(dir + "/a.txt"); // the next save dialog chooses a.txt
//   answers.openFiles.push_back(std::nullopt);   // the next open dialog is cancelled
//   ... run the command ...
//   EXPECT_EQ(answers.errors(), QStringList{"ファイル x は開けません."});
//   EXPECT_EQ(answers.asked.at(0).kind, verlo::test::Asked::Confirm);
//
// Every call is recorded in `asked`, in order, with what the program passed. A question
// whose queue is empty fails the running test (ADD_FAILURE) and is answered the harmless
// way: No, cancel. Boxes that only tell (error, inform, about) need no answer.
// Error texts are recorded as shown in the box (with the "." that showError appends).
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "platform/answerer.h"

namespace verlo::test {

struct Asked {
    enum Kind { Error, Confirm, Choose, Inform, About, OpenFile, SaveFile, ChooseFont, ChooseColor };
    Kind kind;
    QString title;    // box title (empty where the program gives none)
    QString message;  // box text; for About the name, with the further lines in `text`
    QString text;     // Choose: the button captions, one a line
    platform::FileDialogRequest request;  // OpenFile, SaveFile
    platform::FontChoice font;            // ChooseFont: the initial font and colour
    QColor color;                         // ChooseColor: the initial colour
};

class ScriptedAnswerer : public platform::Answerer {
public:
    ScriptedAnswerer();   // installs itself with platform::setAnswerer
    ~ScriptedAnswerer() override;  // puts the real answerer back
    ScriptedAnswerer(const ScriptedAnswerer&) = delete;
    ScriptedAnswerer& operator=(const ScriptedAnswerer&) = delete;

    // Answers, taken from the front.
    std::deque<bool> confirms;                          // true = Yes
    std::deque<int> choices;                            // the index of the button pressed
    std::deque<std::optional<QString>> openFiles;       // nullopt = cancelled
    std::deque<std::optional<QString>> saveFiles;
    std::deque<std::optional<platform::FontChoice>> fonts;
    std::deque<std::optional<QColor>> colors;

    std::vector<Asked> asked;

    // The texts of the error boxes shown, in order.
    QStringList errors() const;
    // How many times a kind of box or dialog came up.
    int count(Asked::Kind kind) const;
    // Forgets what was asked (the queues stay).
    void clearAsked() { asked.clear(); }

    void error(QWidget* owner, const QString& message) override;
    bool confirm(QWidget* owner, const QString& title, const QString& message) override;
    int choose(QWidget* owner, const QString& title, const QString& message, const QStringList& buttons) override;
    void inform(QWidget* owner, const QString& title, const QString& message) override;
    void about(QWidget* owner, const QString& title, const QString& name, const QString& text) override;
    std::optional<QString> openFile(QWidget* owner, const platform::FileDialogRequest& request) override;
    std::optional<QString> saveFile(QWidget* owner, const platform::FileDialogRequest& request) override;
    std::optional<platform::FontChoice> chooseFont(QWidget* owner, const platform::FontChoice& initial) override;
    std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial) override;
};

}  // namespace verlo::test
