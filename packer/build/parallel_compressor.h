// Compression of many files on several threads, delivered in order.
//
// Each file becomes one bzip2 stream made by the codec's own streaming
// encoder, so an entry is byte for byte what the installer's pack mode would
// write. Files are read and compressed piece by piece on worker threads; the
// caller receives the results on its own thread, strictly in input order,
// so the package comes out the same whatever the number of threads. Memory
// is bounded per thread whatever the file sizes: a stream longer than
// kStreamKeptInMemory waits in an unnamed temporary file rather than in
// memory, and a worker does not start a file more than 2 x jobs places
// ahead of the next one to deliver. Within those places the largest file
// starts first, so that a large file late in the list does not start last
// and then keep one thread busy while the others wait.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/byte_stream.h"
#include "packer/common/pack_input.h"
#include "packer/build/spill_file.h"

namespace vornak_pack {

// Compressed streams up to this length are kept in memory.
constexpr size_t kStreamKeptInMemory = 1 << 20;

// One file's complete bzip2 stream: in data while it is short, otherwise
// all of it in spilled and data empty.
struct CompressedEntry {
    std::vector<uint8_t> data;
    SpillFile spilled;
    uint32_t uncompressed_size = 0;
    std::string error;  // why the file could not be compressed

    uint64_t Size() const { return spilled.IsOpen() ? spilled.Size() : data.size(); }
};

// Reads an entry's stream back from its start, piece by piece.
class CompressedEntryReader final : public archive::ByteSource {
  public:
    explicit CompressedEntryReader(const CompressedEntry& entry) : entry_(entry) {}
    uint32_t Read(uint8_t* buffer, uint32_t capacity) override;

  private:
    const CompressedEntry& entry_;
    uint64_t position_ = 0;
};

// Receives entry number index; returning false stops everything.
using EntrySink = std::function<bool(size_t index, const CompressedEntry& entry)>;

// Reads and compresses one file on the calling thread. A long stream goes
// to a temporary file in spill_folder (the system's temporary folder when
// empty).
CompressedEntry CompressInput(const PackInput& input, const std::string& spill_folder = "");

// Which input a free thread takes next: of those not taken yet among the
// window inputs from first on, the largest, the earliest of equal ones (so
// files of one size go in order and are delivered as they finish);
// kNoInput when none of them is left.
constexpr size_t kNoInput = static_cast<size_t>(-1);
size_t ChooseNextInput(const std::vector<uint64_t>& sizes, const std::vector<bool>& taken,
                       size_t first, size_t window);

// Compresses every input on up to jobs threads and hands each result to sink
// in input order. Stops at the first file that cannot be compressed (with a
// message) or the first false from sink; returns whether all were delivered.
bool CompressInOrder(const std::vector<PackInput>& inputs, unsigned jobs, const EntrySink& sink,
                     const std::string& spill_folder = "");

}  // namespace vornak_pack
