// The edit control on the generated 20 MB novel, at its default size, in IPA Gothic 16 px:
// loading and showing the first page, one character typed in the middle (with the re-wrap
// of its paragraph and the three line queries of the caret indicator; also on the 20 KB
// novel for the ratio), re-wrapping everything after a change of width, painting one full
// view, and the memory the document and its layout hold; loading and typing in the novel
// made one line. Horizontal and vertical writing in the same run.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <memory>

#include "edit/edit_control.h"
#include "support/own_text.h"
#include "support/novel.h"

using verlo::edit::EditControl;
using verlo::edit::OptionOp;

namespace {

QFont benchFont() {
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(16);
    return font;
}

std::unique_ptr<EditControl> makeControl(bool vertical) {
    auto control = std::make_unique<verlo::bench::OwnTextEdit>();
    control->setTextFont(benchFont());
    if (vertical) control->setVerticalOption(OptionOp::Or);
    control->resize(control->sizeHint());
    return control;
}

const std::string& novel(bool large) { return large ? verlo::bench::novelLarge() : verlo::bench::novelSmall(); }

void paintView(EditControl& control, QImage& image) {
    image.fill(Qt::white);
    control.viewport()->render(&image);
}

// Arguments: 0 horizontal, 1 vertical.
void BM_LoadAndShowFirstPage(benchmark::State& state) {
    const bool vertical = state.range(0) != 0;
    const std::string& text = novel(true);
    auto control = makeControl(vertical);
    QImage image(control->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        control->setText(text);
        control->setModified(false);
        benchmark::DoNotOptimize(control->lineCount());
        paintView(*control, image);
        state.PauseTiming();
        control->setText("");
        state.ResumeTiming();
    }
}

// Arguments: writing, and 1 for the 20 MB novel, 0 for the 20 KB one.
void BM_TypeOneCharacter(benchmark::State& state) {
    const bool vertical = state.range(0) != 0;
    const std::string& text = novel(state.range(1) != 0);
    auto control = makeControl(vertical);
    control->setText(text);
    control->setSelStart(text.size() / 2);
    control->setSelStart(control->lineIndex(control->lineFromChar(control->caretPos())) + 4);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    for (auto _ : state) {
        QCoreApplication::sendEvent(control.get(), &press);
        const std::size_t line = control->lineFromChar(control->selStart());
        benchmark::DoNotOptimize(control->lineIndex(line));
        benchmark::DoNotOptimize(control->lineCount());
        state.PauseTiming();
        QCoreApplication::sendEvent(control.get(), &backspace);  // the paragraph stays as it was
        state.ResumeTiming();
    }
}

// The same novel without line breaks: one paragraph of 20 MB (as a whole text encrypted
// into one line would be). Loading it, and typing in its middle.
const std::string& oneLine() {
    static const std::string text = [] {
        std::string t = novel(true);
        for (char& c : t)
            if (c == '\r' || c == '\n') c = ' ';
        return t;
    }();
    return text;
}

void BM_LoadOneLongLine(benchmark::State& state) {
    auto control = makeControl(state.range(0) != 0);
    QImage image(control->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        control->setText(oneLine());
        benchmark::DoNotOptimize(control->lineCount());
        paintView(*control, image);
        state.PauseTiming();
        control->setText("");
        state.ResumeTiming();
    }
}

void BM_TypeInOneLongLine(benchmark::State& state) {
    auto control = makeControl(state.range(0) != 0);
    control->setText(oneLine());
    control->setSelStart(oneLine().size() / 2);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QImage image(control->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QCoreApplication::sendEvent(control.get(), &press);
        const std::size_t line = control->lineFromChar(control->selStart());
        benchmark::DoNotOptimize(control->lineIndex(line));
        benchmark::DoNotOptimize(control->lineCount());
        paintView(*control, image);
        state.PauseTiming();
        QCoreApplication::sendEvent(control.get(), &backspace);
        state.ResumeTiming();
    }
}

void BM_RewrapAfterWidthChange(benchmark::State& state) {
    const bool vertical = state.range(0) != 0;
    auto control = makeControl(vertical);
    control->setText(novel(true));
    const QSize size = control->size();
    const QSize other = vertical ? QSize(size.width(), size.height() - 40) : QSize(size.width() - 40, size.height());
    bool flip = false;
    for (auto _ : state) {
        control->resize(flip ? size : other);
        flip = !flip;
        benchmark::DoNotOptimize(control->lineCount());
    }
}

void BM_PaintOneView(benchmark::State& state) {
    const bool vertical = state.range(0) != 0;
    auto control = makeControl(vertical);
    control->setText(novel(true));
    control->setSelection(novel(true).size() / 2, novel(true).size() / 2);
    QImage image(control->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    paintView(*control, image);
    for (auto _ : state) paintView(*control, image);
}

// Heap held by the control with the 20 MB novel loaded and laid out (the novel's own
// string is not counted), in MB, as a counter.
void BM_MemoryOfDocumentAndLayout(benchmark::State& state) {
    const bool vertical = state.range(0) != 0;
    const std::string& text = novel(true);
    for (auto _ : state) {
        malloc_trim(0);
        const std::size_t before = mallinfo2().uordblks;
        auto control = makeControl(vertical);
        control->setText(text);
        benchmark::DoNotOptimize(control->lineCount());
        QImage image(control->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        paintView(*control, image);
        const std::size_t after = mallinfo2().uordblks;
        state.counters["MB"] = static_cast<double>(after - before) / (1024.0 * 1024.0);
        state.counters["lines"] = static_cast<double>(control->lineCount());
    }
}

}  // namespace

BENCHMARK(BM_LoadAndShowFirstPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TypeOneCharacter)->Args({0, 1})->Args({0, 0})->Args({1, 1})->Args({1, 0})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadOneLongLine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TypeInOneLongLine)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RewrapAfterWidthChange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PaintOneView)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryOfDocumentAndLayout)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

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
