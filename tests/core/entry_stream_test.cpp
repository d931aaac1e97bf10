// The streaming encoder and decoder: the same stream as the one-shot call
// for every size, including either side of bzip2's 900 kB block; and a
// decoder that never passes on more than the stated size.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/entry_codec.h"
#include "archive/entry_decoder.h"
#include "archive/entry_encoder.h"
#include "support/disk_file.h"
#include "support/win32_values.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"

using testing_support::ReadAll;
using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

// Bytes that barely compress, so the input count decides where blocks end.
std::string NoiseBytes(size_t size) {
    std::string bytes(size, '\0');
    uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 23);
    }
    return bytes;
}

const uint8_t* Bytes(const std::string& text) {
    return reinterpret_cast<const uint8_t*>(text.data());
}

class CollectingSink final : public archive::ByteSink {
  public:
    bool Write(const uint8_t* data, uint32_t length) override {
        bytes.append(reinterpret_cast<const char*>(data), length);
        ++writes;
        return true;
    }
    std::string bytes;
    int writes = 0;
};

std::string OneShot(const std::string& input) {
    std::vector<uint8_t> output(archive::CompressionBound(input.size()));
    auto length = static_cast<uint32_t>(output.size());
    EXPECT_TRUE(archive::CompressBuffer(Bytes(input), static_cast<uint32_t>(input.size()),
                                        output.data(), &length));
    return std::string(reinterpret_cast<const char*>(output.data()), length);
}

// Fed in pieces of an odd size, so that no piece edge meets a block edge.
std::string Streamed(const std::string& input, size_t piece) {
    CollectingSink sink;
    archive::EntryEncoder encoder(&sink);
    for (size_t at = 0; at < input.size(); at += piece) {
        size_t length = std::min(piece, input.size() - at);
        EXPECT_TRUE(encoder.Feed(Bytes(input) + at, static_cast<uint32_t>(length)));
    }
    EXPECT_TRUE(encoder.Finish());
    return sink.bytes;
}

class EntryStreamParity : public ::testing::TestWithParam<size_t> {};

}  // namespace

// bzip2 ends a block of level 9 after 899,981 symbols.
INSTANTIATE_TEST_SUITE_P(Sizes, EntryStreamParity,
                         ::testing::Values(size_t{0}, size_t{1}, size_t{899980}, size_t{899981},
                                           size_t{899982}, size_t{900000}, size_t{1799963},
                                           size_t{2700001}));

TEST_P(EntryStreamParity, StreamingWritesTheOneShotBytesAndDecodesBack) {
    Scratch scratch;
    std::string input = NoiseBytes(GetParam());
    std::string expected = OneShot(input);
    EXPECT_EQ(expected, Streamed(input, 77777));

    // The file codec, which the installer's pack mode uses, and its decoder.
    WriteAll(scratch.PathOf("in"), input);
    uint32_t size = 0;
    ASSERT_TRUE(archive::CompressFile(scratch.PathOf("in").c_str(), scratch.PathOf("bz").c_str(),
                                      false, &size));
    EXPECT_EQ(expected, ReadAll(scratch.PathOf("bz")));
    ASSERT_TRUE(archive::DecompressFile(scratch.PathOf("bz").c_str(), scratch.PathOf("out").c_str(),
                                        false, size));
    EXPECT_TRUE(input == ReadAll(scratch.PathOf("out")));
}

TEST(EntryDecoder, PassesOnNothingBeyondTheStatedSizeAndNeedsAllOfIt) {
    // 16 MB of zeros compress to a few hundred bytes.
    std::string zeros(16 << 20, '\0');
    std::string bomb = OneShot(zeros);
    ASSERT_LT(bomb.size(), 1000u);
    for (uint32_t claim : {100u, 5000000u}) {
        CollectingSink sink;
        archive::EntryDecoder decoder(claim, &sink);
        EXPECT_FALSE(decoder.Feed(Bytes(bomb), static_cast<uint32_t>(bomb.size())));
        EXPECT_FALSE(decoder.Complete());
        // It stops within the stated size, after a few pieces at most.
        EXPECT_LE(sink.bytes.size(), claim);
        EXPECT_LE(sink.writes, 20);
    }
    // The exact size decodes whole, fed a byte at a time; one byte more
    // stated is a stream that ends short.
    for (uint32_t extra : {0u, 1u}) {
        CollectingSink sink;
        archive::EntryDecoder decoder(static_cast<uint32_t>(zeros.size()) + extra, &sink);
        for (char byte : bomb) {
            ASSERT_TRUE(decoder.Feed(reinterpret_cast<const uint8_t*>(&byte), 1));
        }
        EXPECT_EQ(extra == 0, decoder.Complete());
        EXPECT_EQ(zeros.size(), sink.bytes.size());
    }
}

// The installer reads an entry twice, once to check its sum and once to
// decode it: bytes that differ the second time must not be installed.
TEST(EntryDecoder, BytesThatNoLongerMatchTheCheckedSumFailAndLeaveNothing) {
    Scratch scratch;
    testing_support::MessageCapture capture;
    std::string input = NoiseBytes(300000);
    std::string stream = OneShot(input);
    WriteAll(scratch.PathOf("bz"), stream);
    uint32_t sum = 0;
    for (char byte : stream) {
        sum += static_cast<uint8_t>(byte);
    }
    std::string out = scratch.PathOf("out");
    for (uint32_t checked : {sum, sum + 1}) {
        support::DiskFile source(scratch.PathOf("bz").c_str(), support::kGenericRead,
                                 support::kOpenExisting, false, true);
        bool decoded = archive::DecompressFromFile(
            &source, scratch.PathOf("bz").c_str(), static_cast<uint32_t>(stream.size()),
            out.c_str(), true, static_cast<uint32_t>(input.size()), &checked);
        EXPECT_EQ(checked == sum, decoded);
        EXPECT_EQ(checked == sum ? input.size() : 0u, ReadAll(out).size());
    }
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_EQ("Error whilst uncompressing '" + out + "', unable to read from '" +
                  scratch.PathOf("bz") + "'",
              capture.Messages()[0].text);
}
