// Ruby shown against not shown, in the same run: the edit control loading the generated
// 20 MB novel with a ruby group every 200 characters, every line of it laid out (lineCount()
// waits for the last one, so this is all the layout work, whichever thread does it) and its
// first page drawn; and one character typed in the middle (the re-wrap of its paragraph,
// the groups at the caret looked at again, and the caret's line queries).
// Typed again with the control shown, each key followed by the painting it asks for.
// Arguments: ruby shown (1) or not (0), vertical writing (1) or horizontal (0).
// On a shared machine run with --benchmark_enable_random_interleaving=true, so that a
// change of load between cases does not read as a ratio.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <memory>

#include "edit/edit_control.h"
#include "support/own_text.h"
#include "support/novel.h"

using verlo::edit::EditControl;
using verlo::edit::OptionOp;

namespace {

// The novel with 《るび》 after a kanji every 200 characters or so.
const std::string& novelWithRuby() {
    static const std::string text = [] {
        const std::string& plain = verlo::bench::novelLarge();
        const std::string ruby = "\x81\x73\x82\xe9\x82\xd1\x81\x74";  // 《るび》
        std::string out;
        out.reserve(plain.size() + plain.size() / 50);
        std::size_t chars = 0;
        for (std::size_t i = 0; i < plain.size();) {
            const auto b = static_cast<std::uint8_t>(plain[i]);
            const bool twoBytes = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
            const std::size_t length = twoBytes && i + 1 < plain.size() ? 2 : 1;
            out.append(plain, i, length);
            const bool kanji = (b >= 0x89 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEA);
            if (++chars >= 200 && kanji) {
                out += ruby;
                chars = 0;
            }
            i += length;
        }
        return out;
    }();
    return text;
}

std::unique_ptr<EditControl> makeControl(bool ruby, bool vertical) {
    auto control = std::make_unique<verlo::bench::OwnTextEdit>();
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(16);
    control->setTextFont(font);
    if (vertical) control->setVerticalOption(OptionOp::Or);
    control->setRubyShown(ruby);
    control->resize(control->sizeHint());
    return control;
}

void BM_LoadAndShowFirstPage(benchmark::State& state) {
    const std::string& text = novelWithRuby();
    auto control = makeControl(state.range(0) != 0, state.range(1) != 0);
    QImage image(control->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        control->setText(text);
        benchmark::DoNotOptimize(control->lineCount());
        image.fill(Qt::white);
        control->viewport()->render(&image);
        state.PauseTiming();
        control->setText("");
        state.ResumeTiming();
    }
}

void BM_TypeOneCharacter(benchmark::State& state) {
    const std::string& text = novelWithRuby();
    auto control = makeControl(state.range(0) != 0, state.range(1) != 0);
    control->setText(text);
    control->setSelStart(control->lineIndex(control->lineFromChar(text.size() / 2)) + 4);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    for (auto _ : state) {
        QCoreApplication::sendEvent(control.get(), &press);
        benchmark::DoNotOptimize(control->lineIndex(control->lineFromChar(control->selStart())));
        benchmark::DoNotOptimize(control->lineCount());
        state.PauseTiming();
        QCoreApplication::sendEvent(control.get(), &backspace);
        state.ResumeTiming();
    }
}

void BM_TypeAndPaint(benchmark::State& state) {
    const std::string& text = novelWithRuby();
    auto control = makeControl(state.range(0) != 0, state.range(1) != 0);
    control->setText(text);
    control->setSelStart(control->lineIndex(control->lineFromChar(text.size() / 2)) + 4);
    control->show();
    QCoreApplication::processEvents();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    for (auto _ : state) {
        QCoreApplication::sendEvent(control.get(), &press);
        QCoreApplication::processEvents();
        state.PauseTiming();
        QCoreApplication::sendEvent(control.get(), &backspace);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(BM_LoadAndShowFirstPage)->Args({0, 0})->Args({1, 0})->Args({0, 1})->Args({1, 1})->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TypeOneCharacter)->Args({0, 0})->Args({1, 0})->Args({0, 1})->Args({1, 1})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TypeAndPaint)->Args({0, 0})->Args({1, 0})->Args({0, 1})->Args({1, 1})->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
