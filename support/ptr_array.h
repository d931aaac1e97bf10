// A growable array of untyped pointers that does not own its items.
//
// Growth is linear, eight slots at a time: arrays in this program hold a few
// dozen items (optional shortcuts, directory entries), and linear growth keeps
// the storage tight.
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
    // Ignores an index outside 0..Count()-1.
    void RemoveAt(int32_t index);
    // No bounds test: callers iterate 0..Count()-1.
    void* GetAt(int32_t index) const { return items_[index]; }
    int32_t Count() const { return count_; }
    int32_t Capacity() const { return capacity_; }
    // Frees the storage; the items themselves are left alone.
    void Clear();

  private:
    bool Grow();

    int32_t growth_step_ = 8;
    int32_t capacity_ = 0;
    int32_t count_ = 0;
    void** items_ = nullptr;
};

}  // namespace support
