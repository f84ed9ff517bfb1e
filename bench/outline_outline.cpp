// What the outline costs: reading the headings and counts of a generated manuscript of about
// 1,000,000 characters in 300 chapters (the whole outline, and the headings alone, which is
// what the interface thread does for a large text while the counts are taken elsewhere, also
// at 20 MB), and following one typed character in a chapter's middle.
#include <benchmark/benchmark.h>

#include <string>

#include "outline/outline.h"
#include "support/novel.h"
#include "text/document.h"

namespace {

const std::string& million() {
    static const std::string text = verlo::bench::generateManuscript(2'000'000, 300);  // about 1,000,000 characters
    return text;
}

void BM_BuildOutline(benchmark::State& state) {
    verlo::text::Document doc;
    doc.setText(million());
    for (auto _ : state) {
        verlo::outline::Outline outline;
        outline.rebuild(doc);
        benchmark::DoNotOptimize(outline.headings().size());
    }
    state.counters["headings"] = 300;
}

// Argument: megabytes of text.
void BM_ReadHeadingsOnly(benchmark::State& state) {
    verlo::text::Document doc;
    doc.setText(verlo::bench::generateManuscript(static_cast<std::size_t>(state.range(0)) * 1024 * 1024, 300));
    verlo::outline::Outline outline;
    for (auto _ : state) {
        outline.rereadHeadings(doc);
        benchmark::DoNotOptimize(outline.headings().size());
    }
}

void BM_TypeInAChapter(benchmark::State& state) {
    verlo::text::Document doc;
    doc.setText(million());
    struct Follower : verlo::text::DocumentListener {
        verlo::text::Document* doc = nullptr;
        verlo::outline::Outline outline;
        void documentChanged(const verlo::text::Change& change) override { outline.apply(*doc, change); }
    } follower;
    follower.doc = &doc;
    follower.outline.rebuild(doc);
    doc.addListener(&follower);
    const std::size_t at = doc.lineStart(doc.lineCount() / 2) + 4;
    for (auto _ : state) {
        doc.replace(at, 0, "a", verlo::text::EditKind::Edit);
        const std::vector<std::size_t> ends = verlo::outline::sectionEnds(follower.outline.headings());
        const std::size_t heading = follower.outline.headingOf(doc.lineOfPos(at));
        benchmark::DoNotOptimize(follower.outline.sectionChars(doc, heading, ends));
        state.PauseTiming();
        doc.replace(at, 1, {}, verlo::text::EditKind::Edit);
        state.ResumeTiming();
    }
    doc.removeListener(&follower);
}

}  // namespace

BENCHMARK(BM_BuildOutline)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly();
BENCHMARK(BM_ReadHeadingsOnly)->Arg(2)->Arg(20)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly();
BENCHMARK(BM_TypeInAChapter)->Unit(benchmark::kMicrosecond)->Repetitions(3)->ReportAggregatesOnly();

BENCHMARK_MAIN();
