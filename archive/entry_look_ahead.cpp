// The install's look-ahead: a helper thread and the caller decoding entries
// into memory ahead of the one being written.
#include "archive/entry_look_ahead.h"

#include <cstdlib>
#include <new>

#include "archive/entry_codec.h"
#include "archive/package_archive.h"
#include "support/text.h"

namespace archive {

namespace {

// Waits are woken by the events; the time-out only bounds how long a wait
// could last if a wake were ever missed.
constexpr uint32_t kLongestWaitMs = 1000;

}  // namespace

EntryLookAhead::EntryLookAhead(const PackageArchive& package, const int32_t* order, int32_t count,
                               uint32_t budget)
    : budget_(budget) {
    support::CopyText(package_path_, package.Path());
    slots_ = count > 0 ? new (std::nothrow) Slot[count] : nullptr;
    planned_ = slots_ != nullptr ? new (std::nothrow) bool[package.EntryCount()]() : nullptr;
    count_ = planned_ != nullptr ? count : 0;
    entry_count_ = planned_ != nullptr ? package.EntryCount() : 0;
    for (int32_t i = 0; i < count_; ++i) {
        Slot& slot = slots_[i];
        slot = Slot{order[i], 0, 0, 0, 0, State::kNotHeld, false, nullptr, 0};
        if (order[i] < 0 || order[i] >= package.EntryCount()) {
            continue;
        }
        const ArchiveEntry& entry = package.EntryAt(order[i]);
        slot.data_offset = entry.data_offset;
        slot.compressed_size = entry.compressed_size;
        slot.data_sum = entry.data_sum;
        slot.size = entry.uncompressed_size;
        // Data claimed beyond the directory is refused by the caller's own
        // extraction.
        bool within = static_cast<uint64_t>(entry.data_offset) + entry.compressed_size <=
                      package.DirectoryOffset();
        if (within && slot.size >= kSmallestEntry && slot.size <= budget_) {
            slot.state = State::kWaiting;
            planned_[order[i]] = true;
        }
    }
}

EntryLookAhead::~EntryLookAhead() {
    if (helper_ != nullptr) {
        lock_.Lock();
        stopping_ = true;
        room_made_.Set();
        lock_.Unlock();
        delete helper_;
    }
    for (int32_t i = 0; i < count_; ++i) {
        std::free(slots_[i].bytes);
    }
    for (SpareBlock& spare : spares_) {
        std::free(spare.bytes);
    }
    delete[] slots_;
    delete[] planned_;
    delete helper_file_;
    delete caller_file_;
}

bool EntryLookAhead::Start() {
    if (count_ == 0 || !lock_.IsCreated() || slot_finished_.Handle() == nullptr ||
        room_made_.Handle() == nullptr) {
        return false;
    }
    helper_file_ = new (std::nothrow) support::DiskFile(package_path_, support::DiskFile::kRead);
    caller_file_ = new (std::nothrow) support::DiskFile(package_path_, support::DiskFile::kRead);
    if (helper_file_ == nullptr || !helper_file_->IsOpen() || caller_file_ == nullptr ||
        !caller_file_->IsOpen()) {
        return false;
    }
    // A thread that cannot start leaves every slot waiting, and the caller
    // then decodes each entry itself.
    helper_ = new (std::nothrow) support::WorkerThread(&HelperBody, this);
    return helper_ != nullptr;
}

void EntryLookAhead::HelperBody(support::WorkerThread* worker) {
    auto* self = static_cast<EntryLookAhead*>(worker->Argument());
    self->lock_.Lock();
    while (!self->stopping_) {
        int32_t slot = self->NextToDecode();
        if (slot == kNothingLeft) {
            break;
        }
        if (slot == kNoRoom) {
            self->WaitUnlocked(self->room_made_);
        } else {
            self->DecodeSlot(slot, self->helper_file_);
        }
    }
    self->lock_.Unlock();
}

// Strictly in order: an entry that does not fit yet is waited for rather
// than passed, so the budget never fills with entries far ahead while the
// next one waits.
int32_t EntryLookAhead::NextToDecode() const {
    for (int32_t i = next_; i < count_; ++i) {
        if (slots_[i].state == State::kWaiting) {
            return HasRoomFor(slots_[i].size) ? i : kNoRoom;
        }
    }
    return kNothingLeft;
}

namespace {

// A spare block serves an entry of at least half its size: a large block
// held for a small entry would keep the budget from a large one.
bool Suits(const EntryLookAhead::SpareBlock& spare, uint32_t size) {
    return spare.bytes != nullptr && spare.capacity >= size && spare.capacity / 2 <= size;
}

}  // namespace

bool EntryLookAhead::HasRoomFor(uint32_t size) const {
    for (const SpareBlock& spare : spares_) {
        if (Suits(spare, size)) {
            return true;
        }
    }
    return reserved_ + size <= budget_;
}

uint8_t* EntryLookAhead::AcquireBlock(uint32_t size, uint32_t* capacity) {
    SpareBlock* best = nullptr;
    for (SpareBlock& spare : spares_) {
        if (Suits(spare, size) && (best == nullptr || spare.capacity < best->capacity)) {
            best = &spare;
        }
    }
    uint8_t* bytes = nullptr;
    if (best != nullptr) {
        bytes = best->bytes;
        *capacity = best->capacity;
        spare_bytes_ -= best->capacity;
        *best = SpareBlock{};
    } else {
        // None fits: spare blocks give way until the new one is within
        // the budget along with them.
        for (SpareBlock& spare : spares_) {
            if (reserved_ + spare_bytes_ + size <= budget_) {
                break;
            }
            spare_bytes_ -= spare.capacity;
            std::free(spare.bytes);
            spare = SpareBlock{};
        }
        bytes = static_cast<uint8_t*>(std::malloc(size));
        *capacity = size;
    }
    if (bytes != nullptr) {
        reserved_ += *capacity;
    }
    return bytes;
}

void EntryLookAhead::ReleaseBlock(uint8_t* bytes, uint32_t capacity) {
    if (bytes == nullptr) {
        return;
    }
    reserved_ -= capacity;
    for (SpareBlock& spare : spares_) {
        if (spare.bytes == nullptr) {
            spare = SpareBlock{bytes, capacity};
            spare_bytes_ += capacity;
            return;
        }
    }
    std::free(bytes);
}

void EntryLookAhead::DecodeSlot(int32_t index, support::DiskFile* file) {
    Slot& slot = slots_[index];
    slot.state = State::kDecoding;
    uint8_t* bytes = AcquireBlock(slot.size, &slot.capacity);
    lock_.Unlock();
    bool decoded = false;
    if (bytes != nullptr) {
        file->Seek(static_cast<int32_t>(slot.data_offset));
        decoded =
            DecodeToMemory(file, slot.compressed_size, slot.data_sum, bytes, slot.size, &stopping_);
    }
    lock_.Lock();
    if (decoded && !slot.abandoned) {
        slot.bytes = bytes;
        slot.state = State::kReady;
    } else {
        ReleaseBlock(bytes, slot.capacity);
        // A damaged entry goes back to the caller, whose own extraction
        // fails on it and tells the user, exactly as without a look-ahead.
        slot.state = State::kNotHeld;
    }
    slot_finished_.Set();
    room_made_.Set();
}

void EntryLookAhead::Release(Slot& slot) {
    ReleaseBlock(slot.bytes, slot.capacity);
    slot.bytes = nullptr;
    slot.state = State::kNotHeld;
}

void EntryLookAhead::Drop(Slot& slot) {
    if (slot.state == State::kReady) {
        Release(slot);
    } else if (slot.state == State::kDecoding) {
        slot.abandoned = true;
    } else {
        slot.state = State::kNotHeld;
    }
}

void EntryLookAhead::WaitUnlocked(support::SyncEvent& event) {
    // Reset under the lock and set only under it: a change made after the
    // reset cannot be missed.
    event.Reset();
    lock_.Unlock();
    event.Wait(kLongestWaitMs);
    lock_.Lock();
}

void EntryLookAhead::GiveBack() {
    lock_.Lock();
    if (taken_ >= 0) {
        Release(slots_[taken_]);
        taken_ = -1;
        room_made_.Set();
    }
    lock_.Unlock();
}

const uint8_t* EntryLookAhead::Take(int32_t index, uint32_t* size) {
    if (helper_ == nullptr || index < 0 || index >= entry_count_ || !planned_[index]) {
        return nullptr;
    }
    lock_.Lock();
    if (taken_ >= 0) {
        Release(slots_[taken_]);
        taken_ = -1;
    }
    int32_t found = next_;
    while (found < count_ && slots_[found].index != index) {
        ++found;
    }
    const uint8_t* bytes = nullptr;
    if (found < count_) {
        for (int32_t i = next_; i < found; ++i) {
            Drop(slots_[i]);
        }
        next_ = found + 1;
        Slot& slot = slots_[found];
        // Not started yet, since the helper is behind: decoded here the same
        // way when it takes at most half the budget, so that the helper keeps
        // room for the next one. A larger one streams straight to its file.
        if (slot.state == State::kWaiting && slot.size <= budget_ / 2 && HasRoomFor(slot.size)) {
            DecodeSlot(found, caller_file_);
        }
        // Rather than idle while the helper finishes this entry, decode the
        // next one ahead here.
        while (slot.state == State::kDecoding) {
            int32_t ahead = NextToDecode();
            if (ahead >= 0) {
                DecodeSlot(ahead, caller_file_);
            } else {
                WaitUnlocked(slot_finished_);
            }
        }
        if (slot.state == State::kReady) {
            taken_ = found;
            bytes = slot.bytes;
            *size = slot.size;
        } else {
            slot.state = State::kNotHeld;
        }
    }
    room_made_.Set();
    lock_.Unlock();
    return bytes;
}

}  // namespace archive
