// The print preview on a novel: building the page, and the whole command (page built and
// written). A plain copy of the text is the reference.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFont>
#include <QTemporaryDir>

#include "edit/edit_control.h"
#include "support/own_text.h"
#include "settings/settings.h"
#include "preview/preview_page.h"
#include "preview/print_preview.h"
#include "support/novel.h"

namespace {

const std::string& novel(std::int64_t which) {
    return which ? verlo::bench::novelLarge() : verlo::bench::novelSmall();
}

void BM_CopyText(benchmark::State& state) {
    const std::string& text = novel(state.range(0));
    for (auto _ : state) {
        std::string copy = text;
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

void BM_PreviewPage(benchmark::State& state) {
    const std::string& text = novel(state.range(0));
    const QString font = QStringLiteral("ＭＳ ゴシック");
    for (auto _ : state) {
        std::string page = verlo::preview::PreviewPage(text, font, 12, 1, 20);
        benchmark::DoNotOptimize(page.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

void BM_PreviewCommand(benchmark::State& state) {
    const std::string& text = novel(state.range(0));
    QTemporaryDir tmp;
    verlo::bench::OwnTextEdit memo2;
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPointSize(12);
    memo2.setTextFont(font);
    memo2.setText(text);
    verlo::settings::Settings settings;
    settings.VerHor = 1;
    verlo::preview::PrintPreview preview(
        memo2, settings, nullptr, [](const QString&) {}, [&] { return tmp.filePath("print.html"); });
    for (auto _ : state) benchmark::DoNotOptimize(preview.open());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

}  // namespace

// Arg 0: the ~20 KB novel, 1: the ~20 MB novel. Medians of five repetitions.
BENCHMARK(BM_CopyText)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PreviewPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PreviewCommand)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
