// Writing pages as PDF: a 300-page manuscript (20 × 20, about 120,000 characters of the
// generated novel) and, for scale, the same text set 40 × 30, against setting the same
// pages without writing them (cells, wrapping and paging alone) in the same run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <string>

#include "print/page_layout.h"
#include "print/pdf_export.h"
#include "support/novel.h"

using namespace verlo::print;

namespace {

QFont benchFont() { return QFont(QStringLiteral("IPAMincho")); }

// The first 300 pages of 400 characters of the novel (line breaks and short lines make
// the pages hold fewer, so the text is cut by pages rather than by bytes).
const std::string& manuscript() {
    static const std::string text = [] {
        const PageSetup setup = *applyFormat(PageSetup{}, QStringLiteral("20x20"));
        const PageTypesetting t(setup, benchFont());
        const std::string& novel = verlo::bench::novelLarge();
        std::size_t end = 0;
        int pages = 0;
        Paginator counter(t, [&](const Page&) { return ++pages < 300; });
        while (end < novel.size()) {
            std::size_t next = novel.find("\r\n", end);
            if (next == std::string::npos) break;
            if (!counter.add(std::string_view(novel).substr(end, next - end))) break;
            end = next + 2;
        }
        return novel.substr(0, end);
    }();
    return text;
}

void BM_PagesOnly(benchmark::State& state, const char* format) {
    const PageSetup setup = *applyFormat(PageSetup{}, QString::fromLatin1(format));
    const PageTypesetting t(setup, benchFont());
    for (auto _ : state) {
        int pages = 0;
        Paginator paginator(t, [&](const Page&) { return ++pages > 0; });
        paginateText(paginator, t, QString(), manuscript());
        benchmark::DoNotOptimize(pages);
    }
}

void BM_WritePdf(benchmark::State& state, const char* format) {
    const PageSetup setup = *applyFormat(PageSetup{}, QString::fromLatin1(format));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("m.pdf"));
    int pages = 0;
    for (auto _ : state) pages = exportPdf(path, setup, benchFont(), QStringLiteral("m"), manuscript()).pages;
    state.counters["pages"] = pages;
}

BENCHMARK_CAPTURE(BM_PagesOnly, manuscript_20x20, "20x20")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WritePdf, manuscript_20x20, "20x20")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WritePdf, contest_40x30, "40x30")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
