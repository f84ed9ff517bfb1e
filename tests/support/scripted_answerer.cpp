#include "support/scripted_answerer.h"

#include <gtest/gtest.h>

namespace verlo::test {

namespace {

template <typename T>
T take(std::deque<T>& queue, const char* what, T fallback) {
    if (queue.empty()) {
        ADD_FAILURE() << "unexpected " << what << ": no scripted answer left";
        return fallback;
    }
    T front = queue.front();
    queue.pop_front();
    return front;
}

// The same for paths, spelled out: GCC 12 misreads the generic copy of an
// optional<QString> as possibly uninitialised.
std::optional<QString> takePath(std::deque<std::optional<QString>>& queue, const char* what) {
    if (queue.empty()) {
        ADD_FAILURE() << "unexpected " << what << ": no scripted answer left";
        return std::nullopt;
    }
    const bool chosen = queue.front().has_value();
    const QString path = chosen ? *queue.front() : QString();
    queue.pop_front();
    if (!chosen)
        return std::nullopt;
    return path;
}

}  // namespace

ScriptedAnswerer::ScriptedAnswerer() { platform::setAnswerer(this); }

ScriptedAnswerer::~ScriptedAnswerer() { platform::setAnswerer(nullptr); }

QStringList ScriptedAnswerer::errors() const {
    QStringList out;
    for (const auto& a : asked)
        if (a.kind == Asked::Error)
            out << a.message;
    return out;
}

int ScriptedAnswerer::count(Asked::Kind kind) const {
    int n = 0;
    for (const auto& a : asked)
        n += a.kind == kind;
    return n;
}

void ScriptedAnswerer::error(QWidget*, const QString& message) {
    asked.push_back({Asked::Error, QStringLiteral("Verlo"), message, {}, {}, {}, {}});
}

bool ScriptedAnswerer::confirm(QWidget*, const QString& title, const QString& message) {
    asked.push_back({Asked::Confirm, title, message, {}, {}, {}, {}});
    return take(confirms, "confirmation", false);
}

int ScriptedAnswerer::choose(QWidget*, const QString& title, const QString& message, const QStringList& buttons) {
    asked.push_back({Asked::Choose, title, message, buttons.join(u'\n'), {}, {}, {}});
    return take(choices, "choice", static_cast<int>(buttons.size()) - 1);
}

void ScriptedAnswerer::inform(QWidget*, const QString& title, const QString& message) {
    asked.push_back({Asked::Inform, title, message, {}, {}, {}, {}});
}

void ScriptedAnswerer::about(QWidget*, const QString& title, const QString& name, const QString& text) {
    asked.push_back({Asked::About, title, name, text, {}, {}, {}});
}

std::optional<QString> ScriptedAnswerer::openFile(QWidget*, const platform::FileDialogRequest& request) {
    asked.push_back({Asked::OpenFile, request.title, {}, {}, request, {}, {}});
    return takePath(openFiles, "open dialog");
}

std::optional<QString> ScriptedAnswerer::saveFile(QWidget*, const platform::FileDialogRequest& request) {
    asked.push_back({Asked::SaveFile, request.title, {}, {}, request, {}, {}});
    return takePath(saveFiles, "save dialog");
}

std::optional<platform::FontChoice> ScriptedAnswerer::chooseFont(QWidget*, const platform::FontChoice& initial) {
    asked.push_back({Asked::ChooseFont, {}, {}, {}, {}, initial, {}});
    return take(fonts, "font dialog", std::optional<platform::FontChoice>{});
}

std::optional<QColor> ScriptedAnswerer::chooseColor(QWidget*, const QColor& initial) {
    asked.push_back({Asked::ChooseColor, {}, {}, {}, {}, {}, initial});
    return take(colors, "colour dialog", std::optional<QColor>{});
}

}  // namespace verlo::test
