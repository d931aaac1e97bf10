// Which entries of a package have a given name, found without comparing the
// name with every entry: an install of many files looks up one name per
// [CopyFile], and a scan per lookup grew with the square of the file count.
//
// Names of printable ASCII are hashed with their letters folded to one case,
// so that names equal without regard to case land in one chain. Any other
// name is kept in a chain of its own and compared with every such lookup,
// since the system's comparison of the code page's upper half is its own;
// a name looked up that is not printable ASCII is compared with every entry.
// The answers are exactly those of support::EqualsIgnoringCase, in directory
// order.
#pragma once

#include <cstdint>

#include "support/ptr_array.h"

namespace archive {

class EntryNameIndex {
  public:
    EntryNameIndex() = default;
    ~EntryNameIndex();
    EntryNameIndex(const EntryNameIndex&) = delete;
    EntryNameIndex& operator=(const EntryNameIndex&) = delete;

    // Indexes every entry of entries (ArchiveEntry pointers) afresh.
    void Rebuild(const support::PtrArray& entries);
    // Indexes the last entry of entries, just appended.
    void AddLast(const support::PtrArray& entries);
    // The first entry after index after (-1: from the start) whose name
    // equals name without regard to case; -1 when there is none.
    int32_t Next(const support::PtrArray& entries, const char* name, int32_t after) const;

  private:
    void Release();
    // False when memory ran out; the index is then empty and every lookup
    // scans the entries, as it always could.
    bool Allocate(int32_t buckets, int32_t capacity);
    void Link(int32_t index, const char* name);
    int32_t ChainOf(const char* name) const;

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

}  // namespace archive
