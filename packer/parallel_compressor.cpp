// Ordered parallel compression.
#include "packer/parallel_compressor.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "archive/entry_codec.h"
#include "packer/tool_messages.h"

namespace vornak_pack {

CompressedEntry CompressInput(const PackInput& input) {
    CompressedEntry entry;
    std::vector<uint8_t> source;
    if (!LoadFile(input.path, &source, &entry.error)) {
        return entry;
    }
    uint32_t length = static_cast<uint32_t>(source.size());
    uint32_t produced = static_cast<uint32_t>(archive::CompressionBound(length));
    try {
        entry.data.resize(produced);
    } catch (const std::bad_alloc&) {
        entry.error = "not enough memory to compress '" + input.path + "'";
        return entry;
    }
    // libbz2 refuses a null input even of length 0, and an empty vector may
    // hold one; an empty file compresses to the 14-byte empty stream.
    static const uint8_t kNothing = 0;
    const uint8_t* bytes = source.empty() ? &kNothing : source.data();
    if (!archive::CompressBuffer(bytes, length, entry.data.data(), &produced)) {
        entry.error = "libbz2 could not compress '" + input.path + "'";
        entry.data.clear();
        return entry;
    }
    entry.data.resize(produced);
    entry.uncompressed_size = length;
    return entry;
}

namespace {

// The state the workers and the delivering thread share, all under lock.
class OrderedWork {
  public:
    OrderedWork(const std::vector<PackInput>& inputs, unsigned jobs)
        : inputs_(inputs), window_(2 * static_cast<size_t>(jobs)), results_(inputs.size()) {}

    void WorkerLoop() {
        for (;;) {
            size_t index = 0;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [this] {
                    return stopped_ || next_to_take_ >= inputs_.size() ||
                           next_to_take_ < next_to_deliver_ + window_;
                });
                if (stopped_ || next_to_take_ >= inputs_.size()) {
                    return;
                }
                index = next_to_take_++;
            }
            auto entry = std::make_unique<CompressedEntry>(CompressInput(inputs_[index]));
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
    const size_t window_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::unique_ptr<CompressedEntry>> results_;
    size_t next_to_take_ = 0;
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

bool CompressInOrder(const std::vector<PackInput>& inputs, unsigned jobs, const EntrySink& sink) {
    if (jobs <= 1 || inputs.size() <= 1) {
        for (size_t i = 0; i < inputs.size(); ++i) {
            if (!Deliver(CompressInput(inputs[i]), i, sink)) {
                return false;
            }
        }
        return true;
    }
    OrderedWork work(inputs, jobs);
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
