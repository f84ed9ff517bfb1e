// What a screen reader asks of the edit control, on the generated 20 MB novel with the caret
// at its end: the caret's offset and the word at an offset, through the accessibility
// interface (the 20 KB novel in the same run for the ratio); the first count of the whole
// text, which the offset map does once; the same offset found by converting everything
// before it (what the map saves); and typing one character with a reader listening or not.
#include <benchmark/benchmark.h>

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <memory>

#include "edit/accessible_edit.h"
#include "edit/edit_control.h"
#include "support/own_text.h"
#include "support/novel.h"
#include "text/unicode_offsets.h"

using verlo::edit::EditControl;

namespace {

const std::string& novel(bool large) { return large ? verlo::bench::novelLarge() : verlo::bench::novelSmall(); }

std::unique_ptr<EditControl> loaded(bool large) {
    auto control = std::make_unique<verlo::bench::OwnTextEdit>();
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(16);
    control->setTextFont(font);
    control->resize(control->sizeHint());
    control->setText(novel(large));
    control->setSelStart(novel(large).size());
    return control;
}

QAccessibleTextInterface* reader(EditControl& control) {
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(&control)->textInterface();
    benchmark::DoNotOptimize(text->characterCount());  // the first count, outside the timing
    return text;
}

// Argument: 1 for the 20 MB novel, 0 for the 20 KB one.
void BM_CaretOffset(benchmark::State& state) {
    auto control = loaded(state.range(0) != 0);
    QAccessibleTextInterface* text = reader(*control);
    for (auto _ : state) benchmark::DoNotOptimize(text->cursorPosition());
}

void BM_WordAtOffset(benchmark::State& state) {
    auto control = loaded(state.range(0) != 0);
    QAccessibleTextInterface* text = reader(*control);
    const int offset = text->cursorPosition() - 3;
    int start = 0;
    int end = 0;
    for (auto _ : state) benchmark::DoNotOptimize(text->textAtOffset(offset, QAccessible::WordBoundary, &start, &end));
}

// The reference: the caret's offset by counting everything before it.
void BM_CaretOffsetByWholeCount(benchmark::State& state) {
    auto control = loaded(true);
    for (auto _ : state)
        benchmark::DoNotOptimize(verlo::text::readerLength(control->document().slice(0, control->caretPos())));
}

void BM_FirstCountOfTheWholeText(benchmark::State& state) {
    auto control = loaded(true);
    verlo::text::UnicodeOffsets offsets(control->document());
    for (auto _ : state) {
        offsets.forget();
        benchmark::DoNotOptimize(offsets.count());
    }
}

void ignore(QAccessibleEvent*) {}

// Argument: 1 with a reader listening (every event built), 0 without.
void BM_TypeAtTheEnd(benchmark::State& state) {
    auto control = loaded(true);
    if (state.range(0) != 0) {
        verlo::edit::setAccessEventSink(ignore);
        reader(*control);
    }
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    for (auto _ : state) {
        QCoreApplication::sendEvent(control.get(), &press);
        state.PauseTiming();
        QCoreApplication::sendEvent(control.get(), &backspace);
        state.ResumeTiming();
    }
    verlo::edit::setAccessEventSink(nullptr);
}

}  // namespace

BENCHMARK(BM_CaretOffset)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WordAtOffset)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CaretOffsetByWholeCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstCountOfTheWholeText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeAtTheEnd)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    verlo::bench::novelLarge();  // generated once, before any timing
    verlo::bench::novelSmall();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
