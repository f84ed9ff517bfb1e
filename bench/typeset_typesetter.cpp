// The typesetter on the generated 20 MB novel: cells and wrapping of every paragraph
// (what loading and every change of width cost), the same on a fresh typesetter (its
// glyph cache filled on the way), and painting one full view of 40 lines of 40 cells;
// horizontal and vertical writing in the same run.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <string_view>
#include <vector>

#include "support/novel.h"
#include "typeset/typesetter.h"

using verlo::typeset::Cell;
using verlo::typeset::Typesetter;
using verlo::typeset::Writing;

namespace {

QFont benchFont() {
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(16);
    return font;
}

std::vector<std::string_view> paragraphs(const std::string& text) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out.emplace_back(text.data() + start, i - start);
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    out.emplace_back(text.data() + start, text.size() - start);
    return out;
}

const std::vector<std::string_view>& novelParagraphs() {
    static const std::vector<std::string_view> list = paragraphs(verlo::bench::novelLarge());
    return list;
}

std::size_t layoutAll(const Typesetter& t, const std::vector<std::string_view>& list) {
    std::vector<Cell> cells;
    std::vector<std::uint32_t> starts;
    const float width = static_cast<float>(t.fullWidthAdvance() * 40);
    std::size_t lines = 0;
    for (std::string_view p : list) {
        t.cells(p, cells);
        t.wrap(p, cells, width, starts);
        lines += starts.size();
    }
    return lines;
}

Writing writingOf(const benchmark::State& state) {
    return state.range(0) ? Writing::Vertical : Writing::Horizontal;
}

// Every paragraph of the 20 MB novel: cells, then lines of 40 full-width characters.
void BM_CellsAndWrapNovel(benchmark::State& state) {
    const auto& list = novelParagraphs();
    Typesetter t(benchFont(), writingOf(state));
    layoutAll(t, list);  // the glyph cache filled once
    std::size_t lines = 0;
    for (auto _ : state) benchmark::DoNotOptimize(lines = layoutAll(t, list));
    state.counters["lines"] = static_cast<double>(lines);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(verlo::bench::novelLarge().size()));
}
BENCHMARK(BM_CellsAndWrapNovel)->ArgName("vertical")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same with a new typesetter each time: what loading with a new font costs.
void BM_CellsAndWrapNovelFreshCache(benchmark::State& state) {
    const auto& list = novelParagraphs();
    for (auto _ : state) {
        Typesetter t(benchFont(), writingOf(state));
        benchmark::DoNotOptimize(layoutAll(t, list));
    }
}
BENCHMARK(BM_CellsAndWrapNovelFreshCache)->ArgName("vertical")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A new typesetter and one short line: the cost of a change of font or direction before
// anything is laid out.
void BM_NewTypesetter(benchmark::State& state) {
    const std::string line = verlo::bench::novelSmall().substr(0, 200);
    std::vector<Cell> cells;
    for (auto _ : state) {
        Typesetter t(benchFont(), writingOf(state));
        t.cells(line.substr(0, line.find('\r')), cells);
        benchmark::DoNotOptimize(cells.data());
    }
}
BENCHMARK(BM_NewTypesetter)->ArgName("vertical")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One full view: 40 lines of 40 cells from the novel, painted into an image as a widget would.
void BM_PaintView(benchmark::State& state) {
    const Writing writing = writingOf(state);
    Typesetter t(benchFont(), writing);
    const auto& list = novelParagraphs();
    struct Line {
        std::string_view paragraph;
        std::vector<Cell> cells;
        std::size_t first, last;
    };
    std::vector<Line> view;
    std::vector<std::uint32_t> starts;
    const float width = static_cast<float>(t.fullWidthAdvance() * 40);
    for (std::size_t i = 1000; view.size() < 40; ++i) {
        Line line{list[i], {}, 0, 0};
        t.cells(line.paragraph, line.cells);
        t.wrap(line.paragraph, line.cells, width, starts);
        for (std::size_t l = 0; l < starts.size() && view.size() < 40; ++l) {
            line.first = starts[l];
            line.last = l + 1 < starts.size() ? starts[l + 1] : line.cells.size();
            view.push_back(line);
        }
    }
    const int pitch = t.linePitch();
    const int extent = static_cast<int>(width) + 20;
    const bool vertical = writing == Writing::Vertical;
    QImage image(vertical ? 40 * pitch : extent, vertical ? extent : 40 * pitch, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        for (std::size_t l = 0; l < view.size(); ++l) {
            const QPointF origin = vertical ? QPointF(image.width() - static_cast<int>(l) * pitch, 0)
                                            : QPointF(0, static_cast<int>(l) * pitch);
            t.paintLine(painter, view[l].paragraph, view[l].cells, view[l].first, view[l].last, origin, Qt::black);
        }
    }
}
BENCHMARK(BM_PaintView)->ArgName("vertical")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
