// The entry codec: round trips, the empty-size rules, and the messages.
#include <gtest/gtest.h>

#include <string>

#include "archive/entry_codec.h"
#include "support/win32_values.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"

using archive::CompressFile;
using archive::DecompressData;
using testing_support::MessageCapture;
using testing_support::ReadAll;
using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

// The stream in the file at path, decoded as the installer decodes an entry.
bool DecompressStreamFile(const std::string& path, const std::string& destination, bool report,
                          uint32_t expected_size) {
    std::string stream = ReadAll(path);
    return DecompressData(reinterpret_cast<const uint8_t*>(stream.data()),
                          static_cast<uint32_t>(stream.size()), destination.c_str(), report,
                          expected_size);
}

}  // namespace

TEST(EntryCodec, RoundTripsAndStartsWithBlockSizeNine) {
    Scratch scratch;
    MessageCapture capture;
    std::string original = testing_support::SampleBytes(300000, 7);
    WriteAll(scratch.PathOf("in"), original);
    uint32_t size = 0;
    ASSERT_TRUE(
        CompressFile(scratch.PathOf("in").c_str(), scratch.PathOf("bz").c_str(), true, &size));
    EXPECT_EQ(original.size(), size);
    std::string stream = ReadAll(scratch.PathOf("bz"));
    EXPECT_EQ("BZh9", stream.substr(0, 4));
    EXPECT_LT(stream.size(), original.size());
    ASSERT_TRUE(DecompressStreamFile(scratch.PathOf("bz"), scratch.PathOf("out"), true, size));
    EXPECT_EQ(original, ReadAll(scratch.PathOf("out")));
    EXPECT_TRUE(capture.Messages().empty());
}

TEST(EntryCodec, AnEmptyFileCompressesToAnEmptyStream) {
    Scratch scratch;
    MessageCapture capture;
    WriteAll(scratch.PathOf("empty"), "");
    uint32_t size = 99;
    ASSERT_TRUE(
        CompressFile(scratch.PathOf("empty").c_str(), scratch.PathOf("bz").c_str(), true, &size));
    EXPECT_EQ(0u, size);
    EXPECT_EQ(14u, ReadAll(scratch.PathOf("bz")).size());
    EXPECT_TRUE(capture.Messages().empty());
}

TEST(EntryCodec, MissingSourceForCompressionIsAReadFailure) {
    Scratch scratch;
    MessageCapture capture;
    std::string source = scratch.PathOf("missing.txt");
    std::string destination = scratch.PathOf("out.bz2");
    uint32_t size = 5;
    EXPECT_FALSE(CompressFile(source.c_str(), destination.c_str(), true, &size));
    EXPECT_EQ(0u, size);
    EXPECT_FALSE(testing_support::FileExists(destination));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_EQ(
        "Error whilst compressing '" + destination + "', unable to read from '" + source + "'",
        capture.Messages()[0].text);
    EXPECT_EQ("Install", capture.Messages()[0].caption);
    EXPECT_EQ(0x40010u, capture.Messages()[0].flags);

    // Without report nothing is shown.
    capture.Clear();
    EXPECT_FALSE(CompressFile(source.c_str(), destination.c_str(), false, &size));
    EXPECT_TRUE(capture.Messages().empty());
}

TEST(EntryCodec, UnwritableDestinationForCompressionIsReportedAsRead) {
    Scratch scratch;
    MessageCapture capture;
    WriteAll(scratch.PathOf("in"), "data");
    std::string destination = scratch.PathOf("no-such-folder\\out.bz2");
    uint32_t size = 0;
    EXPECT_FALSE(CompressFile(scratch.PathOf("in").c_str(), destination.c_str(), true, &size));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_EQ("Error whilst compressing '" + destination + "', unable to read from '" +
                  scratch.PathOf("in") + "'",
              capture.Messages()[0].text);
}

TEST(EntryCodec, CorruptStreamIsAWriteFailureLeavingAnEmptyTarget) {
    Scratch scratch;
    MessageCapture capture;
    std::string source = scratch.PathOf("bad.bz2");
    std::string destination = scratch.PathOf("out");
    WriteAll(source, "BZh9 this is not a real stream");
    WriteAll(destination, "old content");
    EXPECT_FALSE(DecompressStreamFile(source, destination, true, 100));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_EQ("Error whilst uncompressing '" + destination + "', unable to write to '" +
                  destination + "'",
              capture.Messages()[0].text);
    EXPECT_EQ("Install", capture.Messages()[0].caption);
    EXPECT_TRUE(testing_support::FileExists(destination));
    EXPECT_EQ("", ReadAll(destination));
}

TEST(EntryCodec, OnlyTheExpectedLengthDecodes) {
    Scratch scratch;
    MessageCapture capture;
    WriteAll(scratch.PathOf("in"), std::string(20000, 'a'));
    uint32_t size = 0;
    ASSERT_TRUE(
        CompressFile(scratch.PathOf("in").c_str(), scratch.PathOf("bz").c_str(), false, &size));
    std::string bz = scratch.PathOf("bz");
    std::string out = scratch.PathOf("out");
    // Longer than the claim (within the decoder's slack or beyond it) and
    // shorter than the claim are all damage: the target stays empty.
    for (uint32_t claim : {10000u, 15000u, 19999u, 20001u, 30000u}) {
        WriteAll(out, "old content");
        EXPECT_FALSE(DecompressStreamFile(bz, out, true, claim)) << claim;
        EXPECT_EQ("", ReadAll(out)) << claim;
    }
    ASSERT_EQ(5u, capture.Messages().size());
    EXPECT_EQ("Error whilst uncompressing '" + out + "', unable to write to '" + out + "'",
              capture.Messages()[4].text);
    EXPECT_TRUE(DecompressStreamFile(bz, out, false, 20000));
    EXPECT_EQ(20000u, ReadAll(out).size());
}

TEST(EntryCodec, AnEmptyTargetThatCannotBeMadeIsAFailure) {
    Scratch scratch;
    MessageCapture capture;
    std::string unwritable = scratch.PathOf("no-such-folder\\out");
    EXPECT_FALSE(archive::DecompressData(nullptr, 0, unwritable.c_str(), true, 0));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_EQ(
        "Error whilst uncompressing '" + unwritable + "', unable to write to '" + unwritable + "'",
        capture.Messages()[0].text);
}

TEST(EntryCodec, ClaimedSizeNearFourGigabytesDoesNotWrap) {
    Scratch scratch;
    MessageCapture capture;
    WriteAll(scratch.PathOf("in"), std::string(100000, 'z'));
    uint32_t size = 0;
    ASSERT_TRUE(
        CompressFile(scratch.PathOf("in").c_str(), scratch.PathOf("bz").c_str(), false, &size));
    // 0xFFFFFFFF + 5000 would wrap to 4999 in 32 bits: a buffer that small
    // must not be what the stream is decoded into.
    EXPECT_FALSE(
        DecompressStreamFile(scratch.PathOf("bz"), scratch.PathOf("out"), true, 0xFFFFFFFFu));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("unable to write to"));
}

// The installer decodes entries from memory: every failure is one on the
// way to the destination.
TEST(EntryCodec, DecodingFromMemoryFollowsTheFileRules) {
    Scratch scratch;
    MessageCapture capture;
    std::string original = testing_support::SampleBytes(70000, 3);
    WriteAll(scratch.PathOf("in"), original);
    uint32_t size = 0;
    ASSERT_TRUE(
        CompressFile(scratch.PathOf("in").c_str(), scratch.PathOf("bz").c_str(), true, &size));
    std::string stream = ReadAll(scratch.PathOf("bz"));
    auto data = reinterpret_cast<const uint8_t*>(stream.data());
    auto length = static_cast<uint32_t>(stream.size());
    std::string out = scratch.PathOf("out");

    ASSERT_TRUE(archive::DecompressData(data, length, out.c_str(), true, size));
    EXPECT_EQ(original, ReadAll(out));
    // An expected size of 0: an empty destination, no decoding. No data
    // where bytes are claimed is damage.
    EXPECT_TRUE(archive::DecompressData(data, length, out.c_str(), true, 0));
    EXPECT_EQ("", ReadAll(out));
    EXPECT_FALSE(archive::DecompressData(nullptr, 0, out.c_str(), false, 50));
    EXPECT_TRUE(testing_support::FileExists(out));
    // More than expected + 5000 bytes is refused, quietly when asked.
    EXPECT_FALSE(archive::DecompressData(data, length, out.c_str(), false, 60000));
    EXPECT_TRUE(capture.Messages().empty());

    const char garbage[] = "BZh9 this is not a real stream";
    EXPECT_FALSE(archive::DecompressData(reinterpret_cast<const uint8_t*>(garbage),
                                         sizeof garbage - 1, out.c_str(), true, 100));
    std::string unwritable = scratch.PathOf("no-such-folder\\out");
    EXPECT_FALSE(archive::DecompressData(data, length, unwritable.c_str(), true, size));
    ASSERT_EQ(2u, capture.Messages().size());
    EXPECT_EQ("Error whilst uncompressing '" + out + "', unable to write to '" + out + "'",
              capture.Messages()[0].text);
    EXPECT_EQ(
        "Error whilst uncompressing '" + unwritable + "', unable to write to '" + unwritable + "'",
        capture.Messages()[1].text);
}
