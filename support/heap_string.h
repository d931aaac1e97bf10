// An owned, heap-allocated, NUL-terminated 8-bit string.
#pragma once

#include <cstdint>

namespace support {

class HeapString {
  public:
    HeapString();
    explicit HeapString(const char* text);
    HeapString(const HeapString& other);
    HeapString& operator=(const HeapString& other);
    ~HeapString();

    // Reallocates only when the capacity is too small, and then to exactly the
    // size needed. Returns false (text unchanged) when memory ran out.
    bool Assign(const char* text);
    const char* Text() const { return text_; }
    uint32_t Capacity() const { return capacity_; }

  private:
    char* text_;
    uint32_t capacity_;  // bytes, NUL included
};

}  // namespace support
