// Ordered parallel compression.
#include "packer/build/parallel_compressor.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "archive/entry_encoder.h"
#include "packer/common/tool_messages.h"

namespace vornak_pack {

uint32_t CompressedEntryReader::Read(uint8_t* buffer, uint32_t capacity) {
    uint64_t left = entry_.Size() - position_;
    size_t want = left < capacity ? static_cast<size_t>(left) : capacity;
    size_t got = 0;
    if (entry_.spilled.IsOpen()) {
        got = want > 0 ? entry_.spilled.ReadAt(position_, buffer, want) : 0;
    } else {
        std::memcpy(buffer, entry_.data.data() + position_, want);
        got = want;
    }
    position_ += got;
    return static_cast<uint32_t>(got);
}

namespace {

// Collects an entry's stream as the encoder writes it: in memory up to
// kStreamKeptInMemory, then everything in a temporary file.
class EntryCollector final : public archive::ByteSink {
  public:
    EntryCollector(CompressedEntry* entry, const std::string& spill_folder)
        : entry_(entry), spill_folder_(spill_folder) {}

    bool Write(const uint8_t* data, uint32_t length) override {
        if (!entry_->spilled.IsOpen() && entry_->data.size() + length <= kStreamKeptInMemory) {
            entry_->data.insert(entry_->data.end(), data, data + length);
            return true;
        }
        if (!entry_->spilled.IsOpen() && !Spill()) {
            return false;
        }
        return entry_->spilled.Append(data, length, &entry_->error);
    }

  private:
    bool Spill() {
        if (!entry_->spilled.Create(spill_folder_, &entry_->error) ||
            !entry_->spilled.Append(entry_->data.data(), entry_->data.size(), &entry_->error)) {
            return false;
        }
        std::vector<uint8_t>().swap(entry_->data);
        return true;
    }

    CompressedEntry* entry_;
    const std::string& spill_folder_;
};

// Feeds the open file's size bytes to encoder piece by piece.
bool EncodeOpenFile(int fd, const std::string& path, uint64_t size, archive::EntryEncoder* encoder,
                    std::string* error) {
    std::vector<uint8_t> piece(archive::kStreamPieceSize);
    uint64_t remaining = size;
    while (remaining > 0) {
        size_t want = remaining < piece.size() ? static_cast<size_t>(remaining) : piece.size();
        ssize_t got = read(fd, piece.data(), want);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            *error = "cannot read '" + path + "': " + std::strerror(errno);
            return false;
        }
        if (got == 0) {
            *error = "'" + path + "' became shorter while it was read";
            return false;
        }
        if (!encoder->Feed(piece.data(), static_cast<uint32_t>(got))) {
            if (error->empty()) {
                *error = "libbz2 could not compress '" + path + "'";
            }
            return false;
        }
        remaining -= static_cast<uint64_t>(got);
    }
    return true;
}

}  // namespace

CompressedEntry CompressInput(const PackInput& input, const std::string& spill_folder) {
    CompressedEntry entry;
    uint64_t size = 0;
    int fd = OpenInputFile(input.path, &size, &entry.error);
    if (fd < 0) {
        return entry;
    }
    EntryCollector collector(&entry, spill_folder);
    archive::EntryEncoder encoder(&collector);
    const std::string& leading = input.leading_bytes;
    bool encoded =
        (leading.empty() || encoder.Feed(reinterpret_cast<const uint8_t*>(leading.data()),
                                         static_cast<uint32_t>(leading.size()))) &&
        EncodeOpenFile(fd, input.path, size, &encoder, &entry.error) && encoder.Finish();
    close(fd);
    if (!encoded) {
        if (entry.error.empty()) {
            entry.error = "libbz2 could not compress '" + input.path + "'";
        }
        entry.data.clear();
        return entry;
    }
    entry.uncompressed_size = static_cast<uint32_t>(size + leading.size());
    return entry;
}

namespace {

// The sizes of the files to pack, 0 for one that cannot be looked at (it
// fails with its message when its turn comes).
std::vector<uint64_t> InputSizes(const std::vector<PackInput>& inputs) {
    std::vector<uint64_t> sizes;
    for (const PackInput& input : inputs) {
        struct stat info;
        bool known = stat(input.path.c_str(), &info) == 0 && info.st_size > 0;
        sizes.push_back(known ? static_cast<uint64_t>(info.st_size) : 0);
    }
    return sizes;
}

// The state the workers and the delivering thread share, all under lock.
class OrderedWork {
  public:
    OrderedWork(const std::vector<PackInput>& inputs, unsigned jobs,
                const std::string& spill_folder)
        : inputs_(inputs),
          spill_folder_(spill_folder),
          window_(2 * static_cast<size_t>(jobs)),
          sizes_(InputSizes(inputs)),
          taken_(inputs.size(), false),
          results_(inputs.size()) {}

    void WorkerLoop() {
        for (;;) {
            size_t index = kNoInput;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [&] {
                    index = stopped_ ? kNoInput
                                     : ChooseNextInput(sizes_, taken_, next_to_deliver_, window_);
                    return stopped_ || index != kNoInput || taken_count_ == inputs_.size();
                });
                if (index == kNoInput) {
                    return;
                }
                taken_[index] = true;
                ++taken_count_;
            }
            auto entry =
                std::make_unique<CompressedEntry>(CompressInput(inputs_[index], spill_folder_));
            std::lock_guard<std::mutex> lock(mutex_);
            results_[index] = std::move(entry);
            changed_.notify_all();
        }
    }

    // Waits for the next result in order; null once stopped.
    std::unique_ptr<CompressedEntry> TakeNext() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return stopped_ || results_[next_to_deliver_] != nullptr; });
        if (stopped_) {
            return nullptr;
        }
        std::unique_ptr<CompressedEntry> entry = std::move(results_[next_to_deliver_]);
        ++next_to_deliver_;
        changed_.notify_all();
        return entry;
    }

    void Stop() {
        std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
        changed_.notify_all();
    }

  private:
    const std::vector<PackInput>& inputs_;
    const std::string& spill_folder_;
    const size_t window_;
    const std::vector<uint64_t> sizes_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<bool> taken_;
    std::vector<std::unique_ptr<CompressedEntry>> results_;
    size_t taken_count_ = 0;
    size_t next_to_deliver_ = 0;
    bool stopped_ = false;
};

bool Deliver(const CompressedEntry& entry, size_t index, const EntrySink& sink) {
    if (!entry.error.empty()) {
        ReportError(entry.error);
        return false;
    }
    return sink(index, entry);
}

}  // namespace

size_t ChooseNextInput(const std::vector<uint64_t>& sizes, const std::vector<bool>& taken,
                       size_t first, size_t window) {
    size_t end = first + window < sizes.size() ? first + window : sizes.size();
    size_t chosen = kNoInput;
    for (size_t i = first; i < end; ++i) {
        if (!taken[i] && (chosen == kNoInput || sizes[i] > sizes[chosen])) {
            chosen = i;
        }
    }
    return chosen;
}

bool CompressInOrder(const std::vector<PackInput>& inputs, unsigned jobs, const EntrySink& sink,
                     const std::string& spill_folder) {
    if (jobs <= 1 || inputs.size() <= 1) {
        for (size_t i = 0; i < inputs.size(); ++i) {
            if (!Deliver(CompressInput(inputs[i], spill_folder), i, sink)) {
                return false;
            }
        }
        return true;
    }
    OrderedWork work(inputs, jobs, spill_folder);
    std::vector<std::thread> workers;
    size_t thread_count = jobs < inputs.size() ? jobs : inputs.size();
    for (size_t i = 0; i < thread_count; ++i) {
        workers.emplace_back([&work] { work.WorkerLoop(); });
    }
    bool delivered = true;
    for (size_t i = 0; i < inputs.size() && delivered; ++i) {
        std::unique_ptr<CompressedEntry> entry = work.TakeNext();
        delivered = entry != nullptr && Deliver(*entry, i, sink);
    }
    work.Stop();
    for (std::thread& worker : workers) {
        worker.join();
    }
    return delivered;
}

}  // namespace vornak_pack
