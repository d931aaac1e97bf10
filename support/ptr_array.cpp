// Growable pointer array.
#include "support/ptr_array.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace support {

PtrArray::~PtrArray() {
    Clear();
}

namespace {

// The most slots an array may have: the count is a signed 32-bit value, and
// the byte size of the storage must not wrap a 32-bit size_t.
constexpr int64_t kMostSlots = INT32_MAX < SIZE_MAX / sizeof(void*)
                                   ? INT32_MAX
                                   : static_cast<int64_t>(SIZE_MAX / sizeof(void*));

}  // namespace

bool PtrArray::Grow() {
    if (capacity_ >= kMostSlots) {
        return false;
    }
    int64_t wanted = capacity_ == 0 ? kFirstCapacity : static_cast<int64_t>(capacity_) * 2;
    auto new_capacity = static_cast<int32_t>(wanted < kMostSlots ? wanted : kMostSlots);
    // realloc keeps the old storage when it fails, so the array stays whole.
    auto** storage = static_cast<void**>(
        std::realloc(items_, sizeof(void*) * static_cast<size_t>(new_capacity)));
    if (storage == nullptr) {
        return false;
    }
    items_ = storage;
    capacity_ = new_capacity;
    return true;
}

bool PtrArray::Append(void* item) {
    if (count_ >= capacity_ && !Grow()) {
        return false;
    }
    items_[count_++] = item;
    return true;
}

bool PtrArray::InsertAt(int32_t index, void* item) {
    if (index < 0 || index > count_ || !Append(nullptr)) {
        return false;
    }
    std::memmove(items_ + index + 1, items_ + index, sizeof(void*) * (count_ - 1 - index));
    items_[index] = item;
    return true;
}

void PtrArray::Clear() {
    std::free(items_);
    items_ = nullptr;
    count_ = 0;
    capacity_ = 0;
}

}  // namespace support
