// A list of owned strings, built on PtrArray.
#pragma once

#include "support/heap_string.h"
#include "support/name_index.h"
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
    // Whether the list holds text, compared without regard to letter case
    // (support::EqualsIgnoringCase). A long list is looked through by an
    // index, made at the first such question and kept as texts are added;
    // not for lists that other threads change meanwhile.
    bool HoldsIgnoringCase(const char* text) const;

  private:
    static const char* TextOf(const void* item) {
        return static_cast<const HeapString*>(item)->Text();
    }

    PtrArray items_;
    mutable NameIndex index_{&TextOf};
};

}  // namespace support
