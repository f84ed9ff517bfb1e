#include "edit/layout_workers.h"

#include <algorithm>
#include <cerrno>

#include "edit/paragraph_wrap.h"

#if defined(__linux__)
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace verlo::edit {

namespace {

// A worker gives way to the interface thread of its own program: on Linux a thread has a
// niceness of its own, and among the program's threads (one scheduling group on a desktop)
// the interface thread then takes a core whenever it has work, so an event waits for
// nobody's layout. With no other work the workers still run at full speed.
void giveWayToTheInterface() {
#if defined(__linux__)
    constexpr int kNicer = 10;
    const auto self = static_cast<id_t>(gettid());
    errno = 0;
    const int now = getpriority(PRIO_PROCESS, self);
    if (errno == 0) setpriority(PRIO_PROCESS, self, std::min(now + kNicer, 19));
#endif
}

}  // namespace

LayoutWorkers::LayoutWorkers(unsigned threads, std::function<void()> wake)
    : wake_(std::move(wake)), setup_(std::make_shared<Setup>()) {
    for (unsigned i = 0; i < std::max(1u, threads); ++i) threads_.emplace_back([this] { run(); });
}

LayoutWorkers::~LayoutWorkers() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        ++generation_;
    }
    wakeWorkers_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void LayoutWorkers::restart(const Setup& setup) {
    std::lock_guard lock(mutex_);
    setup_ = std::make_shared<Setup>(setup);
    ++generation_;
    queue_.clear();
    done_.clear();
    outstanding_ = 0;
    wakePending_ = false;
}

void LayoutWorkers::cancel() { restart(*setup_); }

void LayoutWorkers::submit(Job job) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(job));
        ++outstanding_;
    }
    wakeWorkers_.notify_one();
}

std::vector<LayoutWorkers::Result> LayoutWorkers::take() {
    std::lock_guard lock(mutex_);
    std::vector<Result> out;
    out.swap(done_);
    outstanding_ -= out.size();
    wakePending_ = false;
    return out;
}

std::size_t LayoutWorkers::outstanding() const {
    std::lock_guard lock(mutex_);
    return outstanding_;
}

bool LayoutWorkers::wrapJob(const typeset::Typesetter& typesetter, typeset::RubyLayout* ruby, float width, const Job& job,
                            Result& out, const std::function<bool()>& cancelled) {
    out.tag = job.tag;
    out.first = job.first;
    out.counts.resize(job.starts.size());
    std::vector<typeset::Cell> cells;
    std::vector<std::uint32_t> starts;
    const std::string_view bytes(job.bytes);
    for (std::size_t i = 0; i < job.starts.size(); ++i) {
        if (cancelled()) return false;
        const std::size_t start = job.starts[i];
        std::size_t end = i + 1 < job.starts.size() ? job.starts[i + 1] : bytes.size();
        if (end > start && (bytes[end - 1] == '\n' || bytes[end - 1] == '\r')) {
            --end;
            if (bytes[end] == '\n' && end > start && bytes[end - 1] == '\r') --end;
        }
        const std::string_view text = bytes.substr(start, end - start);
        if (text.size() <= paragraph_wrap::kLongParagraph) {
            out.counts[i] = paragraph_wrap::layOut(typesetter, width, text, cells, starts,
                                                   {ruby, job.at + job.starts[i], job.rawFrom, job.rawTo});
            continue;
        }
        LongLines lines{i, {}};
        paragraph_wrap::TextSource source{text};
        paragraph_wrap::wrapPieces(typesetter, width, source, 0, text.size(), paragraph_wrap::kLongChunk, cells,
                                   starts, lines.starts, [](std::size_t) { return false; });
        out.counts[i] = static_cast<std::uint32_t>(lines.starts.size());
        out.longLines.push_back(std::move(lines));
    }
    return true;
}

void LayoutWorkers::run() {
    giveWayToTheInterface();
    std::unique_ptr<typeset::Typesetter> typesetter;
    std::unique_ptr<typeset::RubyLayout> ruby;
    QFont font;
    typeset::Writing writing = typeset::Writing::Horizontal;
    for (;;) {
        Job job;
        std::shared_ptr<const Setup> setup;
        std::uint64_t generation = 0;
        {
            std::unique_lock lock(mutex_);
            wakeWorkers_.wait(lock, [&] { return stop_ || !queue_.empty(); });
            if (stop_) return;
            job = std::move(queue_.front());
            queue_.pop_front();
            setup = setup_;
            generation = generation_;
        }
        if (!typesetter || font != setup->font || writing != setup->writing) {
            typesetter = std::make_unique<typeset::Typesetter>(setup->font, setup->writing);
            font = setup->font;
            writing = setup->writing;
            ruby.reset();
        }
        if (setup->ruby != (ruby != nullptr))
            ruby = setup->ruby ? std::make_unique<typeset::RubyLayout>(font, writing, *typesetter) : nullptr;
        Result result;
        const bool finished = wrapJob(*typesetter, ruby.get(), setup->width, job, result,
                                      [&] { return generation != generation_.load(std::memory_order_relaxed); });
        if (!finished) continue;
        bool first = false;
        {
            std::lock_guard lock(mutex_);
            if (generation != generation_) continue;
            done_.push_back(std::move(result));
            first = !wakePending_;
            wakePending_ = true;
        }
        if (first && wake_) wake_();
    }
}

}  // namespace verlo::edit
