// Replace all on the 20 MB generated novel with 100,000 occurrences of the search string:
// the one-pass scan alone, the change of the document's text, and the whole command on a
// shown edit control (text changed, view re-wrapped, events processed).
//
//   bench_view_replace                       (medians of five runs each)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "edit/edit_control.h"
#include "support/own_text.h"
#include "support/novel.h"
#include "text/codec.h"
#include "text/cp932.h"
#include "text/document.h"
#include "commands/find_controller.h"
#include "dialogs/find_dialogs.h"
#include "commands/find_replace_all.h"

namespace {

using namespace verlo;

constexpr std::size_t kOccurrences = 100000;
const char* const kNeedle = "\x81\x79\x88\xF3\x81\x7A";                        // 【印】 (not in the novel)
const char* const kReplacement = "\x81\x6D\x82\xB5\x82\xE9\x82\xB5\x81\x6E";  // ［しるし］

// The novel with the search string put at 100,000 evenly spread character starts.
const std::string& textWithOccurrences() {
    static const std::string text = [] {
        const std::string& novel = bench::novelLarge();
        const std::size_t step = novel.size() / kOccurrences;
        std::string out;
        out.reserve(novel.size() + kOccurrences * 6);
        std::size_t next = step / 2;
        std::size_t put = 0;
        for (std::size_t i = 0; i < novel.size(); i += text::cp932::charLength(novel, i)) {
            if (i >= next && put < kOccurrences) {
                out += kNeedle;
                ++put;
                next += step;
            }
            out.append(novel, i, text::cp932::charLength(novel, i));
        }
        const std::size_t found = commands::replaceAll(out, kNeedle, kReplacement).count;
        if (found != kOccurrences) {
            std::fprintf(stderr, "expected %zu occurrences, found %zu\n", kOccurrences, found);
            std::abort();
        }
        return out;
    }();
    return text;
}

void BM_ReplaceAllScan(benchmark::State& state) {
    const std::string& text = textWithOccurrences();
    for (auto _ : state) {
        commands::ReplaceAllResult r = commands::replaceAll(text, kNeedle, kReplacement);
        benchmark::DoNotOptimize(r.bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// The text changed: scan, then the one not-undoable replacement of the span in the document.
void BM_ReplaceAllDocument(benchmark::State& state) {
    const std::string& text = textWithOccurrences();
    text::Document document;
    for (auto _ : state) {
        state.PauseTiming();
        document.setText(text);
        state.ResumeTiming();
        const commands::ReplaceAllResult r = commands::replaceAll(document.view(0, document.length()), kNeedle, kReplacement);
        document.replace(r.begin, r.end - r.begin, r.bytes, text::EditKind::NotUndoable);
        benchmark::DoNotOptimize(document.length());
    }
}

// The whole command as the replace-all button runs it, on a shown control, until the
// events it caused (re-wrap, repaint) are processed.
void BM_ReplaceAllCommand(benchmark::State& state) {
    const std::string& text = textWithOccurrences();
    bench::OwnTextEdit memo2;
    memo2.resize(900, 700);
    memo2.show();
    commands::FindController controller(memo2, nullptr);
    controller.replaceDialog().findField()->setText(QString::fromStdU16String(text::codec::decodeUtf16(kNeedle)));
    controller.replaceDialog().replaceField()->setText(
        QString::fromStdU16String(text::codec::decodeUtf16(kReplacement)));
    for (auto _ : state) {
        state.PauseTiming();
        memo2.setText(text);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        const std::size_t count = controller.replaceAll();
        QCoreApplication::processEvents();
        if (count != kOccurrences) state.SkipWithError("wrong number of replacements");
    }
}

BENCHMARK(BM_ReplaceAllScan)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ReplaceAllDocument)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ReplaceAllCommand)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
