// What the status bar's live counts cost on the generated 20 MB novel, off and on in the
// same run: one character typed in the middle (with the title's three line queries, as in
// the edit control's benchmark), also with a selection of a few paragraphs being extended,
// and loading the whole novel. The ratios on/off are what to read, of the CPU time: it is
// the interface thread's (a large text's counts are taken on a thread of their own); for a
// key, the side-by-side case gives the ratio steadier on a busy machine.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "app/writing_status.h"
#include "session/document_session.h"
#include "edit/edit_control.h"
#include "support/novel.h"

using verlo::edit::EditControl;

namespace {

struct Window {
    verlo::session::DocumentSession session{"/tmp/verlo-bench/recovery", "/tmp/verlo-bench/discarded"};
    QMainWindow window;
    EditControl* control = new EditControl(session.document(), &window);
    QAction toggle;
    verlo::app::WritingStatus status{window, session, *control, toggle};

    explicit Window(bool on) {
        QFont font(QStringLiteral("IPAGothic"));
        font.setPixelSize(16);
        control->setTextFont(font);
        window.setCentralWidget(control);
        window.resize(800, 600);
        status.setShown(on);
    }
    // Until the bar's figures are exact (a large text's counts come in from their own thread).
    void settle() {
        while (!status.exact()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
};

// A window holding the novel with the caret a few characters into a line in its middle.
std::unique_ptr<Window> novelWindow(bool on) {
    auto w = std::make_unique<Window>(on);
    const std::string& text = verlo::bench::novelLarge();
    w->control->setText(text);
    w->settle();
    w->control->setSelStart(text.size() / 2);
    w->control->setSelStart(w->control->lineIndex(w->control->lineFromChar(w->control->caretPos())) + 4);
    return w;
}

// One character typed, with the title's three line queries.
void typeOne(Window& w) {
    static QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QCoreApplication::sendEvent(w.control, &press);
    const std::size_t line = w.control->lineFromChar(w.control->selStart());
    benchmark::DoNotOptimize(w.control->lineIndex(line));
    benchmark::DoNotOptimize(w.control->lineCount());
}

void backspace(Window& w) {
    static QKeyEvent key(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QCoreApplication::sendEvent(w.control, &key);
}

// Arguments: status bar off (0) or on (1).
void BM_TypeOneCharacter(benchmark::State& state) {
    const auto w = novelWindow(state.range(0) != 0);
    for (auto _ : state) {
        typeOne(*w);
        state.PauseTiming();
        backspace(*w);
        state.ResumeTiming();
    }
}

// The same keys typed into two windows in turn, the bar off in one and on in the other:
// on a shared machine whatever slows one slows the other. Reports the median wall time of
// a key in each (off_us, on_us) and their ratio.
void BM_TypeOneCharacterSideBySide(benchmark::State& state) {
    const auto off = novelWindow(false);
    const auto on = novelWindow(true);
    std::vector<double> offTimes, onTimes;
    const auto timed = [](Window& w, std::vector<double>& times) {
        const auto start = std::chrono::steady_clock::now();
        typeOne(w);
        times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        backspace(w);
    };
    for (auto _ : state) {
        timed(*off, offTimes);
        timed(*on, onTimes);
    }
    const auto median = [](std::vector<double>& v) {
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    const double offMedian = median(offTimes), onMedian = median(onTimes);
    state.counters["off_us"] = offMedian;
    state.counters["on_us"] = onMedian;
    state.counters["ratio"] = onMedian / offMedian;
}

// Shift+Right at the end of a selection of about 100 KB from the middle of the novel.
void BM_ExtendSelection(benchmark::State& state) {
    Window w(state.range(0) != 0);
    const std::string& text = verlo::bench::novelLarge();
    w.control->setText(text);
    w.settle();
    const std::size_t from = text.size() / 2;
    QKeyEvent extend(QEvent::KeyPress, Qt::Key_Right, Qt::ShiftModifier);
    for (auto _ : state) {
        state.PauseTiming();
        w.control->setSelection(from, from + 100000);
        state.ResumeTiming();
        QCoreApplication::sendEvent(w.control, &extend);
    }
}

void BM_LoadNovel(benchmark::State& state) {
    Window w(state.range(0) != 0);
    for (auto _ : state) {
        w.control->setText(verlo::bench::novelLarge());
        benchmark::DoNotOptimize(w.control->lineCount());
        state.PauseTiming();
        // The bar's figures come in from its own thread (a large text is counted there):
        // each load starts from exact figures, as when a writer opens one file after another.
        w.settle();
        w.control->setText("");
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(BM_TypeOneCharacter)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_TypeOneCharacterSideBySide)->Iterations(20000)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_ExtendSelection)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_LoadNovel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3)->ReportAggregatesOnly();

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    verlo::bench::novelLarge();  // generated once, before any timing
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
