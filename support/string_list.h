// A list of owned strings, built on PtrArray.
#pragma once

#include "support/heap_string.h"
#include "support/ptr_array.h"

namespace support {

class StringList {
  public:
    StringList() = default;
    ~StringList() { ClearAll(); }
    StringList(const StringList&) = delete;
    StringList& operator=(const StringList&) = delete;

    // Appends a copy of text; returns false when memory ran out.
    bool AppendCopy(const char* text);
    int32_t Count() const { return items_.Count(); }
    const char* At(int32_t index) const {
        return static_cast<const HeapString*>(items_.GetAt(index))->Text();
    }
    // Destroys every string and empties the list.
    void ClearAll();

  private:
    PtrArray items_;
};

}  // namespace support
