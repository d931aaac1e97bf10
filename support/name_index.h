// Which items of an array have a given name, found without comparing the
// name with every item: an install of many files looks up one entry name per
// [CopyFile], and one target among the files it owns, and a scan per lookup
// grew with the square of the file count.
//
// Names of printable ASCII are hashed with their letters folded to one case,
// so that names equal without regard to case land in one chain. Any other
// name is kept in a chain of its own and compared with every such lookup,
// since the system's comparison of the code page's upper half is its own;
// a name looked up that is not printable ASCII is compared with every item.
// The answers are exactly those of support::EqualsIgnoringCase, in the
// array's order.
#pragma once

#include <cstdint>

#include "support/ptr_array.h"

namespace support {

class NameIndex {
  public:
    // The name of one item of the array.
    using NameOf = const char* (*)(const void* item);

    explicit NameIndex(NameOf name_of) : name_of_(name_of) {}
    ~NameIndex();
    NameIndex(const NameIndex&) = delete;
    NameIndex& operator=(const NameIndex&) = delete;

    // Indexes every item of items afresh.
    void Rebuild(const PtrArray& items);
    // Forgets every item (a later lookup scans until Rebuild).
    void Clear() { Release(); }
    // Indexes the last item of items, just appended.
    void AddLast(const PtrArray& items);
    // The first item after index after (-1: from the start) whose name
    // equals name without regard to case; -1 when there is none.
    int32_t Next(const PtrArray& items, const char* name, int32_t after) const;
    // Whether the index follows items (else every lookup scans them).
    bool Follows(const PtrArray& items) const { return buckets_ > 0 && count_ == items.Count(); }

  private:
    void Release();
    // False when memory ran out; the index is then empty and every lookup
    // scans the entries, as it always could.
    bool Allocate(int32_t buckets, int32_t capacity);
    void Link(int32_t index, const char* name);
    int32_t ChainOf(const char* name) const;
    const char* NameAt(const PtrArray& items, int32_t index) const {
        return name_of_(items.GetAt(index));
    }

    NameOf name_of_;
    // Chains of entry indexes in increasing order: first_[chain] starts one,
    // next_[index] goes on (-1 ends it), last_[chain] is its end. The chain
    // past the hashed ones holds the names that are not printable ASCII.
    int32_t buckets_ = 0;  // a power of two; 0 when there is no index
    int32_t capacity_ = 0;
    int32_t count_ = 0;  // the entries indexed: 0 .. count_ - 1
    int32_t* first_ = nullptr;
    int32_t* last_ = nullptr;
    int32_t* next_ = nullptr;
};

}  // namespace support
