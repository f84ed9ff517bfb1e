// The PDF files the tests write, read by tools that did not write them: every file must pass
// qpdf's check of its structure (the cross-reference table, every object, every stream and
// its compression, the page tree); qpdf counts the pages and pdftotext reads the text.
// Header-only, so the tests without the shared library use it too.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace verlo::test {

// A path as one word of a shell command.
inline std::string shellQuoted(const std::string& path) {
    std::string out = "'";
    for (const char c : path) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// What a shell command writes to its standard output.
inline std::string commandOutput(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return out;
    char buffer[4096];
    while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe.get())) out.append(buffer, n);
    return out;
}

// Passes when `qpdf --check` finds the file sound, without warnings; fails with what qpdf
// said, or saying that qpdf is missing.
inline ::testing::AssertionResult passesQpdfCheck(const std::string& path) {
    if (commandOutput("command -v qpdf").empty())
        return ::testing::AssertionFailure()
               << "qpdf is needed to check the PDF files the tests write (scripts/install-deps.sh installs it)";
    const std::string said = commandOutput("qpdf --check " + shellQuoted(path) + " 2>&1; echo \"exit $?\"");
    if (said.ends_with("exit 0\n")) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "qpdf --check " << path << ":\n" << said;
}

// The number of pages qpdf finds in the file; -1 when it cannot read it.
inline int pdfPageCount(const std::string& path) {
    const std::string said = commandOutput("qpdf --show-npages " + shellQuoted(path) + " 2>/dev/null");
    char* end = nullptr;
    const long pages = std::strtol(said.c_str(), &end, 10);
    return end == said.c_str() ? -1 : static_cast<int>(pages);
}

// Without spaces, line breaks and page breaks: text as a text tool reads it, compared
// without the layout the tool guesses.
inline std::string withoutBlanks(std::string s) {
    std::erase_if(s, [](char c) { return c == '\n' || c == ' ' || c == '\f' || c == '\r'; });
    return s;
}

// The text pdftotext reads from the file (UTF-8), of all pages or of one (counted from 1),
// without blanks.
inline std::string pdfText(const std::string& path, int page = 0) {
    const std::string pages = page > 0 ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
    return withoutBlanks(commandOutput("pdftotext -enc UTF-8" + pages + " " + shellQuoted(path) + " - 2>/dev/null"));
}

}  // namespace verlo::test
