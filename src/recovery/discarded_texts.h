// Texts the writer gave up at the save prompt, kept for a while so that a wrong answer loses
// nothing: each a recovery copy (recovery_copy.h) in a folder of its own, none older than
// kDays and at most the kKept newest. They are not copies of a crash: nothing offers them at
// the next start; the writer asks for one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "recovery/recovery_copy.h"

namespace verlo::recovery {

class DiscardedTexts {
public:
    static constexpr int kKept = 20;
    static constexpr std::int64_t kDays = 14;

    explicit DiscardedTexts(std::string folder) : folder_(std::move(folder)) {}
    const std::string& folder() const { return folder_; }

    // Keeps a copy (written is the time it was given up, seconds since 1970); older ones
    // past the limits go. False when it could not be written.
    bool keep(const RecoveryCopy& copy);

    struct Entry {
        std::string name;  // the file's name in the folder
        RecoveryCopy copy;
    };
    // What is kept, newest first, as of now (seconds since 1970): older ones go first.
    std::vector<Entry> list(std::int64_t now);
    // The copy kept under name, which then goes; nothing when there is no such copy.
    std::optional<RecoveryCopy> take(const std::string& name);

private:
    std::string folder_;
};

}  // namespace verlo::recovery
