// Opening and saving the generated 20 MB novel as Shift-JIS and as UTF-8 (file to document
// and back, through real files in /tmp), and finding the encoding of a 20 MB file. Opening
// is measured whole (the command line's way) and in pieces (the editor's way: the encoding
// found from the file, then its pieces read into the document). The
// reference in each run is the plain path of a file taken as bytes with nothing converted
// (read whole, into the document; the file's bytes written out). Saving goes
// the editor's way: the document read a stretch at a time as it is written, as UTF-8 made a
// piece at a time. CPU time is
// the process's (large UTF-8 texts are converted on two threads); wall time is what the user waits.
#include <benchmark/benchmark.h>

#include <QString>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <string>

#include "files/file_io.h"
#include "files/text_file.h"
#include "files/text_stream.h"
#include "support/novel.h"
#include "text/document.h"

using namespace verlo::files;
using verlo::bench::novelLarge;

namespace {

const QString kPath = QStringLiteral("/tmp/verlo-bench-text-file.txt");

// The novel as a file in an encoding.
const std::string& novelIn(Encoding encoding) {
    static const std::string sjis = novelLarge();
    static const std::string utf8 = [] {
        const ReadText r = readText(novelLarge(), Encoding::ShiftJis, LineBreak::CrLf);
        return writeText(r.bytes, r.standIns, TextFormat{Encoding::Utf8, LineBreak::CrLf, true}).bytes;
    }();
    return encoding == Encoding::Utf8 ? utf8 : sjis;
}

Encoding encodingOf(const benchmark::State& state) {
    return state.range(0) ? Encoding::Utf8 : Encoding::ShiftJis;
}

void BM_Detect(benchmark::State& state) {
    const std::string& file = novelIn(encodingOf(state));
    for (auto _ : state) benchmark::DoNotOptimize(detectEncoding(file, Encoding::ShiftJis));
    state.SetLabel(state.range(0) ? "UTF-8" : "Shift-JIS");
}
BENCHMARK(BM_Detect)->Arg(0)->Arg(1)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void BM_OpenPlainBytes(benchmark::State& state) {
    writeFileReplacing(kPath, novelIn(Encoding::ShiftJis));
    for (auto _ : state) {
        verlo::text::Document doc;
        doc.setText(*readWholeFile(kPath));
        benchmark::DoNotOptimize(doc.lineCount());
    }
}
BENCHMARK(BM_OpenPlainBytes)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void BM_Open(benchmark::State& state) {
    writeFileReplacing(kPath, novelIn(encodingOf(state)));
    for (auto _ : state) {
        verlo::text::Document doc;
        ReadText r = openText(*readWholeFile(kPath), TextFormat{});
        doc.setText(r.bytes);
        doc.standIns() = std::move(r.standIns);
        benchmark::DoNotOptimize(doc.lineCount());
    }
    state.SetLabel(state.range(0) ? "UTF-8" : "Shift-JIS");
}
BENCHMARK(BM_Open)->Arg(0)->Arg(1)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void BM_OpenInPieces(benchmark::State& state) {
    writeFileReplacing(kPath, novelIn(encodingOf(state)));
    for (auto _ : state) {
        verlo::text::Document doc;
        const int fd = ::open("/tmp/verlo-bench-text-file.txt", O_RDONLY | O_CLOEXEC);
        {
            TextFileReader reader(fd, *detectFileEncoding(fd, Encoding::ShiftJis), CodePageStream::kPieceSize * 4,
                                  state.range(1));
            doc.loadText([&](verlo::text::StandIns& table) { return reader.next(table); });
        }
        ::close(fd);
        benchmark::DoNotOptimize(doc.lineCount());
    }
    state.SetLabel(state.range(0) ? (state.range(1) ? "UTF-8" : "UTF-8, on one thread") : "Shift-JIS");
}
BENCHMARK(BM_OpenInPieces)->Args({0, 1})->Args({1, 1})->Args({1, 0})->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// The file's bytes alone, with nothing to make: in UTF-8 as in Shift-JIS, what the disk takes
// for the larger file.
void BM_SavePlainBytes(benchmark::State& state) {
    const std::string& bytes = novelIn(encodingOf(state));
    for (auto _ : state) writeFileReplacing(kPath, bytes);
    state.SetLabel(state.range(0) ? "UTF-8 bytes" : "Shift-JIS bytes");
}
BENCHMARK(BM_SavePlainBytes)->Arg(0)->Arg(1)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& state) {
    ReadText r = openText(novelIn(encodingOf(state)), TextFormat{});
    verlo::text::Document doc;
    doc.setText(r.bytes);
    for (auto _ : state) writeFileReplacing(kPath, writeTextInPieces(DocumentBytes(doc), r.standIns, r.format).pieces);
    state.SetLabel(state.range(0) ? "UTF-8" : "Shift-JIS");
    std::remove("/tmp/verlo-bench-text-file.txt");
}
BENCHMARK(BM_Save)->Arg(0)->Arg(1)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
