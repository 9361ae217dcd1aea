#pragma once
// A vector with a movable gap: inserting or erasing near the last edit moves only the elements
// between the two places, so typing Enter in a long page does not shift the whole line index.

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <vector>

template <typename T>
class TGapVector {
    static_assert(std::is_trivially_copyable_v<T>, "elements are moved with memmove");

public:
    std::size_t size() const { return storage_.size() - gapLength_; }
    bool empty() const { return size() == 0; }

    T& operator[](std::size_t i) { return storage_[i < gapStart_ ? i : i + gapLength_]; }
    const T& operator[](std::size_t i) const { return storage_[i < gapStart_ ? i : i + gapLength_]; }

    void clear()
    {
        storage_.clear();
        gapStart_ = gapLength_ = 0;
    }

    void reserve(std::size_t n) { if (gapStart_ == size()) storage_.reserve(n); }
    // As reserve, with room behind for the first edits: a loaded index then grows without a copy,
    // and room never written costs address space only.
    void ReserveWithRoom(std::size_t n) { reserve(n + n / 64 + 1024); }
    // Elements that fit before the storage grows, while the gap is at the end (loading).
    std::size_t capacity() const { return storage_.capacity() - gapLength_; }

    // Fast append while loading (the gap is kept at the end).
    void push_back(const T& value)
    {
        MoveGap(size());
        if (gapLength_ == 0) {
            storage_.push_back(value);
            ++gapStart_;
            return;
        }
        storage_[gapStart_++] = value;
        --gapLength_;
    }

    void insert(std::size_t at, std::size_t count, const T& value)
    {
        assert(at <= size());
        MoveGap(at);
        if (gapLength_ < count) Grow(count);
        std::fill_n(storage_.begin() + gapStart_, count, value);
        gapStart_ += count;
        gapLength_ -= count;
    }

    void erase(std::size_t at, std::size_t count)
    {
        assert(at + count <= size());
        MoveGap(at);
        gapLength_ += count;
    }

    // Overwrites the count elements from `at` with values.
    void Assign(std::size_t at, const T* values, std::size_t count)
    {
        assert(at + count <= size());
        const std::size_t before = at < gapStart_ ? std::min(count, gapStart_ - at) : 0;
        if (before > 0) std::memcpy(storage_.data() + at, values, before * sizeof(T));
        if (count > before)
            std::memcpy(storage_.data() + at + before + gapLength_, values + before, (count - before) * sizeof(T));
    }

    // The elements in order into out, which has room for size() of them.
    void CopyTo(T* out) const
    {
        const std::size_t tail = storage_.size() - gapStart_ - gapLength_;
        if (gapStart_ > 0) std::memcpy(out, storage_.data(), gapStart_ * sizeof(T));
        if (tail > 0) std::memcpy(out + gapStart_, storage_.data() + gapStart_ + gapLength_, tail * sizeof(T));
    }

private:
    void MoveGap(std::size_t at)
    {
        if (at == gapStart_) return;
        T* data = storage_.data();
        if (at < gapStart_) {
            std::memmove(data + at + gapLength_, data + at, (gapStart_ - at) * sizeof(T));
        } else {
            std::memmove(data + gapStart_, data + gapStart_ + gapLength_, (at - gapStart_) * sizeof(T));
        }
        gapStart_ = at;
    }

    // A gap of a small share of the size: each growth moves the elements after the gap, and the
    // new gap's elements are written (and so become resident) at once.
    void Grow(std::size_t needed)
    {
        const std::size_t tail = storage_.size() - gapStart_ - gapLength_;
        const std::size_t extra = std::max<std::size_t>({needed - gapLength_, storage_.size() / 64, 64});
        // Exactly the size needed rather than the vector's doubling, which would hold the old and
        // a twice as large new block of a line index of many megabytes at once.
        if (storage_.capacity() < storage_.size() + extra) storage_.reserve(storage_.size() + extra);
        storage_.resize(storage_.size() + extra);
        T* data = storage_.data();
        std::memmove(data + gapStart_ + gapLength_ + extra, data + gapStart_ + gapLength_, tail * sizeof(T));
        gapLength_ += extra;
    }

    std::vector<T> storage_;
    std::size_t gapStart_ = 0;
    std::size_t gapLength_ = 0;
};
