// Compression of many files on several threads, delivered in order.
//
// Each file becomes one bzip2 stream made by the codec's own one-shot call,
// so an entry is byte for byte what the installer's pack mode would write.
// Files are read and compressed on worker threads; the caller receives the
// results on its own thread, strictly in input order, so the package comes
// out the same whatever the number of threads. To bound memory, a worker
// does not start a file more than 2 x jobs places ahead of the next one to
// deliver.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "packer/pack_input.h"

namespace vornak_pack {

struct CompressedEntry {
    std::vector<uint8_t> data;  // one complete bzip2 stream
    uint32_t uncompressed_size = 0;
    std::string error;  // why the file could not be compressed
};

// Receives entry number index; returning false stops everything.
using EntrySink = std::function<bool(size_t index, const CompressedEntry& entry)>;

// Reads and compresses one file on the calling thread.
CompressedEntry CompressInput(const PackInput& input);

// Compresses every input on up to jobs threads and hands each result to sink
// in input order. Stops at the first file that cannot be compressed (with a
// message) or the first false from sink; returns whether all were delivered.
bool CompressInOrder(const std::vector<PackInput>& inputs, unsigned jobs, const EntrySink& sink);

}  // namespace vornak_pack
