// Program start on the generated 20 MB novel, in process: the main window created with the
// file on its command line (the settings read, the file loaded and laid out, the title with
// the laid-out line count set), shown, and the first paint done. Also the peak memory of
// the process, which holds one extra copy of the novel for the benchmark itself.
//
// The novel is left at $TMPDIR/verlo-novel-20mb.txt for tools/measure_start.sh, which times
// the real program from launch to its title.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/main_window.h"
#include "app/program.h"
#include "edit/edit_control.h"
#include "support/novel.h"

namespace {

QString novelPath() { return QDir::temp().filePath(QStringLiteral("verlo-novel-20mb.txt")); }

void writeNovel() {
    QFile file(novelPath());
    const std::string& text = verlo::bench::novelLarge();
    if (file.open(QIODevice::WriteOnly))
        file.write(text.data(), static_cast<qint64>(text.size()));
}

double peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Arguments: 0 horizontal, 1 vertical (the stored writing direction).
void BM_StartWithNovelUntilTitleAndFirstPaint(benchmark::State& state) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    if (state.range(0) != 0) {
        QDir(config.path()).mkpath(QStringLiteral("Tarnvel"));
        QFile ini(config.filePath(QStringLiteral("Tarnvel/Verlo.ini")));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[Window]\nVerHor=1\n");
    }
    for (auto _ : state) {
        verlo::app::ProgramWindows windows = verlo::app::createProgramWindows(novelPath());
        verlo::app::showMainWindow(*windows.form1);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(windows.form1->windowTitle());
        state.PauseTiming();
        windows.form1->memo2->setModified(false);
        windows.form1.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = peakMiB();
}

}  // namespace

BENCHMARK(BM_StartWithNovelUntilTitleAndFirstPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    verlo::app::prepareApplication(app);
    writeNovel();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
