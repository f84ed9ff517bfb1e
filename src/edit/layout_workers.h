// Threads that wrap paragraphs away from the interface thread. The layout hands them jobs
// (a copy of a run of paragraphs) and takes back their line counts; every worker sets
// text with a typesetter of its own (and folds ruby with a ruby layout of its own), made
// for the font, direction and ruby switch of the current setup, so what it computes is
// exactly what the interface thread would.
//
// restart() begins a new generation: queued jobs are dropped, jobs being wrapped stop at
// the next paragraph, and nothing of an older generation is ever handed back. `wake` is
// called from a worker thread when results begin to wait (once until they are taken).
#pragma once

#include <QFont>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "typeset/typesetter.h"

namespace verlo::typeset {
class RubyLayout;
}

namespace verlo::edit {

class LayoutWorkers {
public:
    struct Setup {
        QFont font;
        typeset::Writing writing = typeset::Writing::Horizontal;
        float width = 0;
        bool ruby = false;  // ruby folded as the layout folds it (ruby_layout.h)
    };
    // Paragraphs first, first + 1, ... : paragraph i is bytes[starts[i], starts[i + 1]) without
    // the line break it ends with (the last one up to the end of bytes; the last paragraph of
    // a document ends with no break, every other one with CR, LF or CR LF).
    struct Job {
        std::uint64_t tag = 0;  // the caller's, handed back with the result
        std::size_t first = 0;
        std::string bytes;
        std::vector<std::size_t> starts;  // one per paragraph
        std::size_t at = 0;               // document position of bytes[0]
        std::size_t rawFrom = 0;          // the groups this range touches stay as written
        std::size_t rawTo = 0;
    };
    struct LongLines {
        std::size_t paragraph = 0;  // counted from the job's first
        std::vector<std::uint32_t> starts;
    };
    struct Result {
        std::uint64_t tag = 0;
        std::size_t first = 0;
        std::vector<std::uint32_t> counts;  // lines of each paragraph
        std::vector<LongLines> longLines;   // line starts of the long ones
    };

    LayoutWorkers(unsigned threads, std::function<void()> wake);
    ~LayoutWorkers();
    LayoutWorkers(const LayoutWorkers&) = delete;
    LayoutWorkers& operator=(const LayoutWorkers&) = delete;

    unsigned threads() const { return static_cast<unsigned>(threads_.size()); }
    void restart(const Setup& setup);
    void cancel();  // a new generation with the same setup
    void submit(Job job);
    std::vector<Result> take();
    // Jobs of this generation handed in and not yet taken back.
    std::size_t outstanding() const;

    // What one job computes, on whatever thread calls it, ruby folded by `ruby` unless it
    // is null; false when cancelled midway.
    static bool wrapJob(const typeset::Typesetter& typesetter, typeset::RubyLayout* ruby, float width, const Job& job,
                        Result& out, const std::function<bool()>& cancelled);

private:
    void run();

    std::function<void()> wake_;
    mutable std::mutex mutex_;
    std::condition_variable wakeWorkers_;
    std::deque<Job> queue_;
    std::vector<Result> done_;
    std::shared_ptr<const Setup> setup_;
    std::atomic<std::uint64_t> generation_{0};  // written under mutex_, read by workers at any time
    std::size_t outstanding_ = 0;
    bool wakePending_ = false;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace verlo::edit
