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
    count_ = slots_ != nullptr ? count : 0;
    for (int32_t i = 0; i < count_; ++i) {
        Slot& slot = slots_[i];
        slot = Slot{order[i], 0, 0, 0, 0, State::kLeftToCaller, false, nullptr};
        if (order[i] < 0 || order[i] >= package.EntryCount()) {
            continue;
        }
        const ArchiveEntry& entry = package.EntryAt(order[i]);
        slot.data_offset = entry.data_offset;
        slot.compressed_size = entry.compressed_size;
        slot.data_sum = entry.data_sum;
        slot.size = entry.uncompressed_size;
        // Empty entries cost nothing to decode; data claimed beyond the
        // directory is refused by the caller's own extraction.
        bool within = static_cast<uint64_t>(entry.data_offset) + entry.compressed_size <=
                      package.DirectoryOffset();
        if (within && slot.size > 0 && slot.size <= budget_) {
            slot.state = State::kWaiting;
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
    delete[] slots_;
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
            return reserved_ + slots_[i].size <= budget_ ? i : kNoRoom;
        }
    }
    return kNothingLeft;
}

void EntryLookAhead::DecodeSlot(int32_t index, support::DiskFile* file) {
    Slot& slot = slots_[index];
    slot.state = State::kDecoding;
    reserved_ += slot.size;
    lock_.Unlock();
    auto* bytes = static_cast<uint8_t*>(std::malloc(slot.size));
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
        std::free(bytes);
        reserved_ -= slot.size;
        // A damaged entry goes back to the caller, whose own extraction
        // fails on it and tells the user, exactly as without a look-ahead.
        slot.state = slot.abandoned ? State::kDone : State::kLeftToCaller;
    }
    slot_finished_.Set();
    room_made_.Set();
}

void EntryLookAhead::Release(Slot& slot) {
    std::free(slot.bytes);
    slot.bytes = nullptr;
    reserved_ -= slot.size;
    slot.state = State::kDone;
}

void EntryLookAhead::Drop(Slot& slot) {
    if (slot.state == State::kReady) {
        Release(slot);
    } else if (slot.state == State::kDecoding) {
        slot.abandoned = true;
    } else {
        slot.state = State::kDone;
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

const uint8_t* EntryLookAhead::Take(int32_t index, uint32_t* size) {
    if (helper_ == nullptr) {
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
        if (slot.state == State::kWaiting && slot.size <= budget_ / 2 &&
            reserved_ + slot.size <= budget_) {
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
            slot.state = State::kDone;
        }
    }
    room_made_.Set();
    lock_.Unlock();
    return bytes;
}

}  // namespace archive
