// A constant array seen as its items and their count, which the compiler counts: pages
// hand their tables on without counting them by hand.
#pragma once

#include <cstddef>

template <typename T> class TableRef {
public:
    constexpr TableRef() = default;
    template <size_t N> constexpr TableRef(const T (&items)[N]) : items_(items), count_(N) {}
    const T* begin() const { return items_; }
    const T* end() const { return items_ + count_; }
    size_t size() const { return count_; }
    const T& operator[](size_t index) const { return items_[index]; }

private:
    const T* items_ = nullptr;
    size_t count_ = 0;
};
