// The document on a generated 20 MB Shift-JIS novel and on a 20 KB one: loading, typing
// and deleting at the start, middle and end, line queries, decoding (with glibc's iconv
// measured alongside as the reference), find near the end, and a replace-all loop.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <random>
#include <string>
#include <vector>

#include "support/novel.h"
#include "text/codec.h"
#include "text/document.h"

using namespace verlo::text;
using verlo::bench::novelLarge;
using verlo::bench::novelSmall;

namespace {

const std::string& novel(std::int64_t large) { return large ? novelLarge() : novelSmall(); }

const char* sizeName(std::int64_t large) { return large ? "20MB" : "20KB"; }

enum Where { Start, Middle, End };

// A caret position at the start, middle or end of the text.
std::size_t placeOf(const Document& doc, std::int64_t where) {
    if (where == Start) return 0;
    if (where == End) return doc.length();
    return doc.snapCaretPos(doc.length() / 2);
}

// Loading the bytes of a file into a new document (buffer and line index).
void BM_Load(benchmark::State& state) {
    const std::string& text = novel(state.range(0));
    for (auto _ : state) {
        Document doc;
        doc.setText(text);
        benchmark::DoNotOptimize(doc.lineCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.SetLabel(sizeName(state.range(0)));
}

// Both sizes empty the undo history at the same pace, so that they do the same work.
constexpr std::int64_t kHistoryLength = 4096;

// Typing one character at a time (あ, 82 A0), each after the one before, as runs of 64.
void BM_Type(benchmark::State& state) {
    Document doc;
    doc.setText(novel(state.range(0)));
    std::size_t pos = placeOf(doc, state.range(1));
    std::int64_t n = 0;
    for (auto _ : state) {
        doc.replace(pos, 0, "\x82\xA0", EditKind::Typing);
        pos += 2;
        if (++n % 64 == 0) doc.breakTyping();
        if (n % kHistoryLength == 0) doc.emptyUndo();
    }
    state.SetLabel(sizeName(state.range(0)));
}

// One character typed after the caret jumped to a random place: only the block of bytes
// there moves its gap, and the line index moves its pending step over whole blocks of
// line starts, so the first change at a new place costs little more than the next.
void BM_TypeAfterJump(benchmark::State& state) {
    Document doc;
    doc.setText(novel(state.range(0)));
    std::mt19937 rng(3);
    std::vector<std::size_t> places(1024);
    for (auto& p : places) p = doc.snapCaretPos(rng() % doc.length());
    std::int64_t n = 0;
    for (auto _ : state) {
        doc.replace(places[n & 1023], 0, "a", EditKind::Edit);
        if (++n % kHistoryLength == 0) doc.emptyUndo();
    }
    state.SetLabel(sizeName(state.range(0)));
}

// Deleting one character: the Delete key at the start and middle, Backspace at the end.
void BM_Delete(benchmark::State& state) {
    const std::string& text = novel(state.range(0));
    Document doc;
    doc.setText(text);
    const std::int64_t where = state.range(1);
    std::size_t pos = placeOf(doc, where);
    std::int64_t n = 0;
    for (auto _ : state) {
        if (where == End) {
            const std::size_t prev = doc.prevCaretPos(pos);
            doc.replace(prev, pos - prev, "", EditKind::Edit);
            pos = prev;
        } else {
            doc.replace(pos, doc.nextCaretPos(pos) - pos, "", EditKind::Edit);
        }
        if (++n % kHistoryLength == 0) doc.emptyUndo();
        if (where == End ? pos < 64 : doc.length() - pos < 64) {
            state.PauseTiming();  // ran out of text (the small document): start again
            doc.setText(text);
            pos = placeOf(doc, where);
            state.ResumeTiming();
        }
    }
    state.SetLabel(sizeName(state.range(0)));
}

// Line queries with a pending step in the index (one character typed in the middle).
void BM_LineOfPos(benchmark::State& state) {
    Document doc;
    doc.setText(novel(state.range(0)));
    doc.replace(placeOf(doc, Middle), 0, "a", EditKind::Typing);
    std::mt19937 rng(1);
    std::vector<std::size_t> positions(4096);
    for (auto& p : positions) p = rng() % doc.length();
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(doc.lineOfPos(positions[i++ & 4095]));
    state.SetLabel(sizeName(state.range(0)));
}

void BM_LineStart(benchmark::State& state) {
    Document doc;
    doc.setText(novel(state.range(0)));
    doc.replace(placeOf(doc, Middle), 0, "a", EditKind::Typing);
    std::mt19937 rng(2);
    std::vector<std::size_t> lines(4096);
    for (auto& l : lines) l = rng() % doc.lineCount();
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(doc.lineStart(lines[i++ & 4095]));
    state.SetLabel(sizeName(state.range(0)));
}

void BM_Decode(benchmark::State& state) {
    const std::string& text = novelLarge();
    for (auto _ : state) benchmark::DoNotOptimize(codec::decodeUtf16(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// glibc's converter on the same bytes, into a buffer of the same kind.
void BM_DecodeIconvReference(benchmark::State& state) {
    const std::string& text = novelLarge();
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        state.SkipWithError("iconv_open failed");
        return;
    }
    std::u16string out;
    for (auto _ : state) {
        out.resize(text.size());
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        char* o = reinterpret_cast<char*>(out.data());
        std::size_t outLeft = out.size() * 2;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &in, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1)) {
            state.SkipWithError("iconv failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    iconv_close(cd);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// 「終端の印」 put in near the end (at 99%), found from the start.
void BM_FindNearEnd(benchmark::State& state) {
    const std::string marker = "\x81\x75\x8F\x49\x92\x5B\x82\xCC\x88\xF3\x81\x76";
    Document doc;
    doc.setText(novelLarge());
    const std::size_t at = doc.snapCaretPos(doc.length() / 100 * 99);
    doc.replace(at, 0, marker, EditKind::Edit);
    const unsigned flags = static_cast<unsigned>(state.range(0));
    for (auto _ : state) {
        const std::size_t hit = doc.find(marker, 0, doc.length(), flags);
        if (hit != at) state.SkipWithError("not found where it was put");
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * at));
    state.SetLabel(flags & FindMatchCase ? "match case" : "fold case");
}

// Replace all as the find-and-replace command does it: find from the end of the last
// replacement, replace as not undoable, 100,000 times through 20 MB.
void BM_ReplaceAll(benchmark::State& state) {
    const std::string needle = "\x81\xA7";        // 〒
    const std::string replacement = "\x97\x58\x95\xD6";  // 郵便
    // The novel with the needle put in at a character start every 200 bytes or so.
    const std::string& base = novelLarge();
    std::string text;
    text.reserve(base.size() + base.size() / 100);
    std::size_t planted = 0, since = 0;
    for (std::size_t i = 0; i < base.size();) {
        const bool lead = (static_cast<unsigned char>(base[i]) >= 0x81 && static_cast<unsigned char>(base[i]) <= 0x9F) ||
                          static_cast<unsigned char>(base[i]) >= 0xE0;
        const std::size_t len = lead && i + 1 < base.size() ? 2 : 1;
        if (since >= 200 && base[i] != '\n' && planted < 100000) {
            text += needle;
            ++planted;
            since = 0;
        }
        text.append(base, i, len);
        since += len;
        i += len;
    }
    Document doc;
    for (auto _ : state) {
        state.PauseTiming();
        doc.setText(text);
        state.ResumeTiming();
        std::size_t count = 0;
        for (std::size_t pos = 0; (pos = doc.find(needle, pos, doc.length(), FindNone)) != npos;
             pos += replacement.size()) {
            doc.replace(pos, needle.size(), replacement, EditKind::NotUndoable);
            ++count;
        }
        if (count != planted) state.SkipWithError("wrong number of replacements");
    }
    state.counters["replacements"] = static_cast<double>(planted);
}

}  // namespace

BENCHMARK(BM_Load)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Type)->ArgsProduct({{1, 0}, {Start, Middle, End}})->Unit(benchmark::kNanosecond);
BENCHMARK(BM_TypeAfterJump)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Delete)->ArgsProduct({{1, 0}, {Start, Middle, End}})->Unit(benchmark::kNanosecond);
BENCHMARK(BM_LineOfPos)->Arg(1)->Arg(0);
BENCHMARK(BM_LineStart)->Arg(1)->Arg(0);
BENCHMARK(BM_Decode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeIconvReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindNearEnd)->Arg(FindMatchCase)->Arg(FindNone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceAll)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
