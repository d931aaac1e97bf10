// Growable pointer array.
#include "support/ptr_array.h"

#include <cstdlib>
#include <cstring>

namespace support {

PtrArray::~PtrArray() {
    Clear();
}

bool PtrArray::Grow() {
    int32_t new_capacity = capacity_ + growth_step_;
    auto** storage = static_cast<void**>(std::malloc(sizeof(void*) * new_capacity));
    if (storage == nullptr) {
        return false;
    }
    if (count_ > 0) {
        std::memcpy(storage, items_, sizeof(void*) * count_);
    }
    std::free(items_);
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

void PtrArray::RemoveAt(int32_t index) {
    if (index < 0 || index >= count_) {
        return;
    }
    std::memmove(items_ + index, items_ + index + 1, sizeof(void*) * (count_ - 1 - index));
    --count_;
}

void PtrArray::Clear() {
    std::free(items_);
    items_ = nullptr;
    count_ = 0;
    capacity_ = 0;
}

}  // namespace support
