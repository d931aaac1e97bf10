// EntryLookAhead: the entries an install will extract next, decoded ahead.
//
// Installing is mostly decoding, and decoding one entry uses one core. The
// look-ahead decodes the entries the install will ask for next on a second
// thread, in the order they will be asked for, into memory, while the
// install writes the one before. The install still writes every file
// itself, in its own order: nothing visible happens early.
//
// Each entry is read through a handle of the look-ahead's own, summed and
// decoded in one pass; only an entry whose bytes add up to its data sum and
// decode to exactly its stated size is handed over. Decoded bytes held at
// once stay within a budget. An entry the helper has not reached when it is
// asked for is decoded the same way by the caller's thread if it takes at
// most half the budget. Any other entry not decoded ahead (larger than the
// budget or the room left in it), an empty one and a damaged one are left to
// the caller, who extracts it as without a look-ahead (and reports a damaged
// one as always). While the entry it waits for is still
// being decoded, the caller decodes the next one ahead itself, so both cores
// stay busy.
#pragma once

#include "support/win32_values.h"

#include <atomic>
#include <cstdint>

#include "support/disk_file.h"
#include "support/sync.h"
#include "support/worker_thread.h"

namespace archive {

class PackageArchive;

class EntryLookAhead {
  public:
    // order: the indexes of the package's entries in the order they will be
    // asked for (an index may come more than once); budget: the decoded
    // bytes held at once. Nothing runs until Start.
    EntryLookAhead(const PackageArchive& package, const int32_t* order, int32_t count,
                   uint32_t budget);
    // Stops the helper thread, waits for it and frees what it decoded.
    ~EntryLookAhead();
    EntryLookAhead(const EntryLookAhead&) = delete;
    EntryLookAhead& operator=(const EntryLookAhead&) = delete;

    // Starts the helper thread; false (and Take always gives null) when the
    // package cannot be opened again or a thread or lock cannot be had.
    bool Start();

    // The entry at index, decoded and checked, when the look-ahead has it:
    // *size gets its length, and the bytes stay valid until GiveBack (or the
    // next Take, or the end of the look-ahead). Null when the caller must
    // decode the entry itself. Entries of the order before this one that
    // were not asked for are dropped.
    const uint8_t* Take(int32_t index, uint32_t* size);
    // Frees the room of the bytes the last Take gave, for the entries ahead.
    void GiveBack();

    // Entries smaller than this are left to the caller: for them, handing
    // bytes between threads costs more than decoding them where they are
    // written.
    static constexpr uint32_t kSmallestEntry = 64 * 1024;

    // A block kept for the next entries: fresh memory costs a page fault per
    // page on first touch, which doubled the system time of installing ten
    // 10 MB entries in a virtual machine.
    struct SpareBlock {
        uint8_t* bytes;
        uint32_t capacity;
    };

  private:
    // kNotHeld: nothing of the entry is or will be held here; the caller
    // extracts it as without a look-ahead (or has taken it already).
    enum class State : uint8_t { kWaiting, kDecoding, kReady, kNotHeld };
    struct Slot {
        int32_t index;
        uint32_t data_offset;
        uint32_t compressed_size;
        uint32_t data_sum;
        uint32_t size;
        State state;
        bool abandoned;  // dropped while being decoded: freed when done
        uint8_t* bytes;
        uint32_t capacity;  // of bytes, which may be a reused, larger block
    };
    static constexpr int kMostSpareBlocks = 4;
    static constexpr int32_t kNothingLeft = -1;
    static constexpr int32_t kNoRoom = -2;

    static void HelperBody(support::WorkerThread* worker);
    // The next slot to decode ahead, in order: kNothingLeft or kNoRoom
    // (within the budget) when there is none now. Under the lock.
    int32_t NextToDecode() const;
    // Claims a slot for decoding (under the lock), decodes it through file
    // without the lock, and records the outcome under it again.
    void DecodeSlot(int32_t slot, support::DiskFile* file);
    // Whether a block for size bytes can be had within the budget now.
    bool HasRoomFor(uint32_t size) const;
    // A block of at least size bytes: a spare one, or a new one once spare
    // blocks were freed to make room. Under the lock.
    uint8_t* AcquireBlock(uint32_t size, uint32_t* capacity);
    void ReleaseBlock(uint8_t* bytes, uint32_t capacity);
    void Release(Slot& slot);
    void Drop(Slot& slot);
    // Waits, the lock released, for event; the lock is held again after.
    void WaitUnlocked(support::SyncEvent& event);

    Slot* slots_ = nullptr;
    int32_t count_ = 0;
    // By entry index: whether any slot may hold it, so that Take needs no
    // lock for the entries that are never decoded ahead.
    bool* planned_ = nullptr;
    int32_t entry_count_ = 0;
    uint32_t budget_;
    uint32_t reserved_ = 0;  // bytes of the blocks being decoded into or held
    SpareBlock spares_[kMostSpareBlocks] = {};
    uint32_t spare_bytes_ = 0;  // reserved_ + spare_bytes_ stays within budget_
    int32_t next_ = 0;          // the first slot the caller has not asked for
    int32_t taken_ = -1;        // the slot whose bytes the caller holds
    std::atomic<bool> stopping_{false};
    char package_path_[support::kMaxPath];
    support::DiskFile* helper_file_ = nullptr;
    support::DiskFile* caller_file_ = nullptr;
    support::SyncMutex lock_;
    support::SyncEvent slot_finished_;  // the caller waits on it
    support::SyncEvent room_made_;      // the helper waits on it
    support::WorkerThread* helper_ = nullptr;
};

}  // namespace archive
