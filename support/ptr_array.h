// A growable array of untyped pointers that does not own its items.
//
// The first allocation holds eight slots and every later one doubles the
// capacity. Most arrays here hold a few dozen items, but a package directory
// holds as many entries as its file claims: growing by a fixed step made
// reading 100,000 entries copy the array 12,500 times, quadratic in the count.
#pragma once

#include <cstdint>

namespace support {

class PtrArray {
  public:
    PtrArray() = default;
    ~PtrArray();
    PtrArray(const PtrArray&) = delete;
    PtrArray& operator=(const PtrArray&) = delete;

    // Returns false when the storage could not be grown (the item is not added).
    bool Append(void* item);
    // index must lie in 0..Count(); returns false when storage could not grow.
    bool InsertAt(int32_t index, void* item);
    // No bounds test: callers iterate 0..Count()-1.
    void* GetAt(int32_t index) const { return items_[index]; }
    int32_t Count() const { return count_; }
    int32_t Capacity() const { return capacity_; }
    // Frees the storage; the items themselves are left alone.
    void Clear();

  private:
    bool Grow();

    static constexpr int32_t kFirstCapacity = 8;
    int32_t capacity_ = 0;
    int32_t count_ = 0;
    void** items_ = nullptr;
};

}  // namespace support
