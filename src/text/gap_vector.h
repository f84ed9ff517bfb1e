// A sequence of trivially copyable values with a gap at the place of the last change, so
// that a run of changes at one place costs O(1) each and moving the place costs the
// distance moved. Each block of the document's bytes is one (see block_bytes.h).
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <memory>
#include <type_traits>

namespace verlo::text {

template <class T>
class GapVector {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    // The values before and after the gap, in order.
    struct Parts {
        const T* front;
        std::size_t frontSize;
        const T* back;
        std::size_t backSize;
    };

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    T at(std::size_t i) const { return i < gapStart_ ? data_[i] : data_[i + gapLength()]; }
    T& at(std::size_t i) { return i < gapStart_ ? data_[i] : data_[i + gapLength()]; }

    Parts parts() const { return {data_.get(), gapStart_, data_.get() + gapStart_ + gapLength(), size_ - gapStart_}; }
    std::size_t gapPosition() const { return gapStart_; }

    std::size_t capacity() const { return capacity_; }

    // Replaces everything by [values, values + n), leaving room to grow: room for
    // `capacity` values in all when that is more than n, else some spare.
    void assign(const T* values, std::size_t n, std::size_t capacity = 0) {
        reserveFresh(n, capacity);
        if (n) std::memcpy(data_.get(), values, n * sizeof(T));
        size_ = n;
        gapStart_ = n;
    }

    // Replaces everything by the values [pos, pos + n) of other (another vector).
    void assign(const GapVector& other, std::size_t pos, std::size_t n, std::size_t capacity = 0) {
        assert(&other != this);
        reserveFresh(n, capacity);
        other.copy(pos, n, data_.get());
        size_ = n;
        gapStart_ = n;
    }

    void insert(std::size_t pos, const T* values, std::size_t n) {
        assert(pos <= size_);
        if (n == 0) return;
        if (gapLength() < n) grow(n);
        moveGap(pos);
        std::memcpy(data_.get() + gapStart_, values, n * sizeof(T));
        gapStart_ += n;
        size_ += n;
    }

    void erase(std::size_t pos, std::size_t n) {
        assert(pos + n <= size_);
        if (n == 0) return;
        // Let the gap swallow the range from whichever side is nearer.
        if (distance(pos + n, gapStart_) < distance(pos, gapStart_)) {
            moveGap(pos + n);
            gapStart_ = pos;
        } else {
            moveGap(pos);
        }
        size_ -= n;
    }

    // Copies [pos, pos + n) to out.
    void copy(std::size_t pos, std::size_t n, T* out) const {
        assert(pos + n <= size_);
        if (pos < gapStart_) {
            const std::size_t first = std::min(n, gapStart_ - pos);
            std::memcpy(out, data_.get() + pos, first * sizeof(T));
            out += first;
            pos += first;
            n -= first;
        }
        if (n) std::memcpy(out, data_.get() + pos + gapLength(), n * sizeof(T));
    }

    // A pointer to [pos, pos + n) in one piece; moves the gap out of the range if needed.
    const T* contiguous(std::size_t pos, std::size_t n) {
        assert(pos + n <= size_);
        if (pos < gapStart_ && pos + n > gapStart_) {
            if (gapStart_ - pos <= pos + n - gapStart_) moveGap(pos);
            else moveGap(pos + n);
        }
        return pos < gapStart_ ? data_.get() + pos : data_.get() + pos + gapLength();
    }

    void moveGap(std::size_t pos) {
        assert(pos <= size_);
        T* d = data_.get();
        const std::size_t gap = gapLength();
        if (pos < gapStart_) std::memmove(d + pos + gap, d + pos, (gapStart_ - pos) * sizeof(T));
        else if (pos > gapStart_) std::memmove(d + gapStart_, d + gapStart_ + gap, (pos - gapStart_) * sizeof(T));
        gapStart_ = pos;
    }

private:
    // Storage for n values and the room asked for, its old contents dropped.
    void reserveFresh(std::size_t n, std::size_t capacity) {
        if (capacity <= n) capacity = n + spareFor(n);
        if (capacity > capacity_ || capacity_ > 4 * capacity) {
            data_ = std::make_unique_for_overwrite<T[]>(capacity);
            capacity_ = capacity;
        }
    }

    std::size_t gapLength() const { return capacity_ - size_; }
    static std::size_t distance(std::size_t a, std::size_t b) { return a > b ? a - b : b - a; }
    static std::size_t spareFor(std::size_t n) { return std::max<std::size_t>(n / 8, 256); }

    void grow(std::size_t need) {
        const std::size_t capacity = size_ + need + spareFor(size_ + need);
        auto data = std::make_unique_for_overwrite<T[]>(capacity);
        const std::size_t back = size_ - gapStart_;
        if (gapStart_) std::memcpy(data.get(), data_.get(), gapStart_ * sizeof(T));
        if (back) std::memcpy(data.get() + capacity - back, data_.get() + capacity_ - back, back * sizeof(T));
        data_ = std::move(data);
        capacity_ = capacity;
    }

    std::unique_ptr<T[]> data_;
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;
    std::size_t gapStart_ = 0;
};

}  // namespace verlo::text
