// What the outline panel costs on a generated 20 MB manuscript in 300 chapters, hidden and
// shown in the same run: one character typed in a chapter's middle (the same keys into two
// windows in turn, so that a busy machine slows both alike; the ratio shown/hidden is what to
// read), the longest the interface thread is held while a large text comes in (its counts
// are taken on a thread of their own, its headings a piece at a time), and a click on a
// heading until the text is shown there.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "app/outline_panel.h"
#include "edit/edit_control.h"
#include "session/document_session.h"
#include "support/novel.h"

using verlo::edit::EditControl;

namespace {

using Clock = std::chrono::steady_clock;

const std::string& manuscript() {
    static const std::string text = verlo::bench::generateManuscript(verlo::bench::kNovelLarge, 300);
    return text;
}

struct Window {
    verlo::session::DocumentSession session{"/tmp/verlo-bench/recovery", "/tmp/verlo-bench/discarded"};
    QMainWindow window;
    EditControl* control = new EditControl(session.document(), &window);
    QAction toggle;
    verlo::app::OutlinePanel panel{window, session, *control, toggle};

    explicit Window(bool shown) {
        QFont font(QStringLiteral("IPAGothic"));
        font.setPixelSize(16);
        control->setTextFont(font);
        window.setCentralWidget(control);
        window.resize(1000, 600);
        panel.setShown(shown);
        panel.setWidth(200);
        window.show();  // laid out as on the screen
    }
    // Until the panel's figures are exact; the longest single pass of the event loop.
    double settle() {
        double longest = 0;
        while (!panel.exact()) {
            const auto start = Clock::now();
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            longest = std::max(longest, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        QCoreApplication::processEvents();
        return longest;
    }
};

std::unique_ptr<Window> manuscriptWindow(bool shown) {
    auto w = std::make_unique<Window>(shown);
    w->control->setText(manuscript());
    w->settle();
    w->control->setSelStart(manuscript().size() / 2);
    w->control->setSelStart(w->control->lineIndex(w->control->lineFromChar(w->control->caretPos())) + 4);
    return w;
}

// One character typed and the panel's refresh after it (the next pass of the event loop).
void typeOne(Window& w) {
    static QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QCoreApplication::sendEvent(w.control, &press);
    QCoreApplication::processEvents();
}

void backspace(Window& w) {
    static QKeyEvent key(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QCoreApplication::sendEvent(w.control, &key);
    QCoreApplication::processEvents();
}

double median(std::vector<double>& v) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

void BM_TypeOneCharacterSideBySide(benchmark::State& state) {
    const auto hidden = manuscriptWindow(false);
    const auto shown = manuscriptWindow(true);
    // The same text area in both: the hidden panel's window narrower by the panel.
    hidden->window.resize(hidden->window.width() - (hidden->control->width() - shown->control->width()), 600);
    QCoreApplication::processEvents();
    std::vector<double> hiddenTimes, shownTimes;
    const auto timed = [](Window& w, std::vector<double>& times) {
        const auto start = Clock::now();
        typeOne(w);
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        backspace(w);
    };
    bool hiddenFirst = true;  // each first in turn
    for (auto _ : state) {
        if (hiddenFirst) timed(*hidden, hiddenTimes);
        timed(*shown, shownTimes);
        if (!hiddenFirst) timed(*hidden, hiddenTimes);
        hiddenFirst = !hiddenFirst;
    }
    const double off = median(hiddenTimes), on = median(shownTimes);
    state.counters["hidden_width"] = hidden->control->width();
    state.counters["shown_width"] = shown->control->width();
    state.counters["hidden_us"] = off;
    state.counters["shown_us"] = on;
    state.counters["ratio"] = on / off;
}

// Argument: panel hidden (0) or shown (1). The longest hold is that of the text given to the
// control (the same work in both but the panel's start) and of each pass of the event loop
// until the panel's figures are exact.
void BM_LoadLongestHold(benchmark::State& state) {
    Window w(state.range(0) != 0);
    double given = 0, pass = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        w.control->setText(manuscript());
        given = std::max(given, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        pass = std::max(pass, w.settle());
        state.PauseTiming();
        w.control->setText("");
        w.settle();
        state.ResumeTiming();
    }
    state.counters["setText_ms"] = given;
    state.counters["longest_pass_ms"] = pass;
}

void BM_ClickAHeading(benchmark::State& state) {
    const auto w = manuscriptWindow(true);
    QTreeWidget& tree = w->panel.tree();
    int i = 0;
    for (auto _ : state) {
        w->panel.goTo(static_cast<std::size_t>((i += 97) % tree.topLevelItemCount()));
        w->control->repaint();
        QCoreApplication::processEvents();
    }
}

}  // namespace

BENCHMARK(BM_TypeOneCharacterSideBySide)->Iterations(3000)->Repetitions(3)->ReportAggregatesOnly();
BENCHMARK(BM_LoadLongestHold)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ClickAHeading)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly();

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    manuscript();  // generated once, before any timing
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
