// A set of paragraph numbers kept as sorted, disjoint ranges: the paragraphs whose line
// counts are still estimates while the layout runs in the background. Few ranges in
// practice (everything, minus the holes the view and the edits punched into it).
#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace verlo::edit {

class ParagraphSet {
public:
    using Range = std::pair<std::size_t, std::size_t>;  // [first, last)

    bool empty() const { return ranges_.empty(); }
    void clear() { ranges_.clear(); }
    const std::vector<Range>& ranges() const { return ranges_; }

    // Exactly the paragraphs [first, last).
    void assign(std::size_t first, std::size_t last) {
        ranges_.clear();
        if (first < last) ranges_.emplace_back(first, last);
    }

    bool contains(std::size_t p) const {
        auto it = after(p);
        return it != ranges_.begin() && std::prev(it)->second > p;
    }

    // Removes [first, last).
    void erase(std::size_t first, std::size_t last) {
        if (first >= last) return;
        std::vector<Range> kept;
        kept.reserve(ranges_.size() + 1);
        for (const Range& r : ranges_) {
            if (r.second <= first || r.first >= last) {
                kept.push_back(r);
                continue;
            }
            if (r.first < first) kept.emplace_back(r.first, first);
            if (r.second > last) kept.emplace_back(last, r.second);
        }
        ranges_ = std::move(kept);
    }
    void erase(std::size_t p) { erase(p, p + 1); }

    // The paragraphs [first, first + removed) were replaced by `added` paragraphs, which
    // belong to the set when addedToo; the paragraphs after them are renumbered.
    void splice(std::size_t first, std::size_t removed, std::size_t added, bool addedToo) {
        erase(first, first + removed);
        for (Range& r : ranges_)
            if (r.first >= first + removed) {
                r.first = r.first - removed + added;
                r.second = r.second - removed + added;
            }
        if (addedToo && added > 0) insert(first, first + added);
        else merge();
    }

    // The first run of members at or after `from`: [first, last), or an empty range at
    // npos-like SIZE_MAX when there is none.
    Range next(std::size_t from) const {
        auto it = after(from);
        if (it != ranges_.begin() && std::prev(it)->second > from) return {from, std::prev(it)->second};
        if (it == ranges_.end()) return {static_cast<std::size_t>(-1), static_cast<std::size_t>(-1)};
        return *it;
    }

private:
    // The first range starting after p.
    std::vector<Range>::const_iterator after(std::size_t p) const {
        return std::upper_bound(ranges_.begin(), ranges_.end(), p,
                                [](std::size_t v, const Range& r) { return v < r.first; });
    }
    void insert(std::size_t first, std::size_t last) {
        auto it = std::upper_bound(ranges_.begin(), ranges_.end(), first,
                                   [](std::size_t v, const Range& r) { return v < r.first; });
        ranges_.insert(it, Range{first, last});
        merge();
    }
    void merge() {
        std::vector<Range> out;
        out.reserve(ranges_.size());
        for (const Range& r : ranges_) {
            if (!out.empty() && out.back().second >= r.first) out.back().second = std::max(out.back().second, r.second);
            else out.push_back(r);
        }
        ranges_ = std::move(out);
    }

    std::vector<Range> ranges_;
};

}  // namespace verlo::edit
