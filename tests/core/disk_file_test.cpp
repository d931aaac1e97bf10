// DiskFile: the line reader, silent short reads, the three messages and the
// behaviour of a file that did not open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/disk_file.h"
#include "support/win32_values.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"

using support::DiskFile;
using testing_support::MessageCapture;
using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

struct Line {
    std::string text;
    bool result;
    bool operator==(const Line& other) const {
        return text == other.text && result == other.result;
    }
};

std::ostream& operator<<(std::ostream& out, const Line& line) {
    return out << "{\"" << line.text << "\", " << line.result << "}";
}

std::vector<Line> ReadLines(const std::string& content, uint32_t max, int calls) {
    Scratch scratch;
    std::string path = scratch.PathOf("lines.txt");
    WriteAll(path, content);
    DiskFile file(path.c_str(), support::kGenericRead, support::kOpenExisting, true, true);
    std::vector<Line> lines;
    for (int i = 0; i < calls; ++i) {
        std::vector<char> buffer(max + 1, '#');
        bool result = file.ReadLine(buffer.data(), max);
        lines.push_back({buffer.data(), result});
    }
    return lines;
}

}  // namespace

TEST(DiskFileReadLine, SplitsOnCrLf) {
    EXPECT_EQ((std::vector<Line>{{"ab", true}, {"", true}, {"c", true}, {"", false}}),
              ReadLines("ab\r\n\r\nc", 100, 4));
}

TEST(DiskFileReadLine, LoneLfIsAnOrdinaryCharacter) {
    EXPECT_EQ((std::vector<Line>{{"ab\ncd", true}, {"", false}}), ReadLines("ab\ncd\r\n", 100, 2));
}

TEST(DiskFileReadLine, FinalCrEndsItsLine) {
    EXPECT_EQ((std::vector<Line>{{"end", true}, {"", false}}), ReadLines("end\r", 100, 2));
}

TEST(DiskFileReadLine, CrSwallowsWhateverFollowsIt) {
    EXPECT_EQ((std::vector<Line>{{"a", true}, {"b", true}}), ReadLines("a\rXb", 100, 2));
}

TEST(DiskFileReadLine, LongLinesComeInPiecesOfMax) {
    EXPECT_EQ((std::vector<Line>{{"abc", true}, {"def", true}, {"", true}, {"", false}}),
              ReadLines("abcdef\r\n", 3, 4));
}

TEST(DiskFileReadLine, MaxZeroReadsNothing) {
    EXPECT_EQ((std::vector<Line>{{"", true}, {"", true}}), ReadLines("xy\r\n", 0, 2));
}

TEST(DiskFile, ShortReadAtEndIsSilent) {
    Scratch scratch;
    MessageCapture capture;
    std::string path = scratch.PathOf("ten");
    WriteAll(path, "0123456789");
    DiskFile file(path.c_str(), support::kGenericRead, support::kOpenExisting, true, true);
    char buffer[24];
    EXPECT_EQ(10u, file.Read(buffer, 24));
    EXPECT_EQ(0u, file.Read(buffer, 24));
    EXPECT_EQ(10u, file.Size());
    file.Seek(4);
    EXPECT_EQ(6u, file.Read(buffer, 24));
    file.Seek(-1);  // negative offsets are ignored
    EXPECT_EQ(0u, file.Read(buffer, 24));
    EXPECT_TRUE(capture.Messages().empty());
}

TEST(DiskFile, OpenFailureNamesTheFileAndTheDirection) {
    Scratch scratch;
    MessageCapture capture;
    std::string missing = scratch.PathOf("missing.txt");
    DiskFile reading(missing.c_str(), support::kGenericRead, support::kOpenExisting, true, true);
    DiskFile writing(missing.c_str(), support::kGenericRead | support::kGenericWrite,
                     support::kOpenExisting, true, true);
    DiskFile quiet(missing.c_str(), support::kGenericRead, support::kOpenExisting, false, true);
    ASSERT_EQ(2u, capture.Messages().size());
    EXPECT_EQ("Unable to open '" + missing + "'", capture.Messages()[0].text);
    EXPECT_EQ("Disk Read Error", capture.Messages()[0].caption);
    EXPECT_EQ(0x40u, capture.Messages()[0].flags);
    EXPECT_EQ("Disk Write Error", capture.Messages()[1].caption);
}

TEST(DiskFile, WriteFailureNamesTheFile) {
    Scratch scratch;
    MessageCapture capture;
    std::string path = scratch.PathOf("readonly-handle.txt");
    WriteAll(path, "x");
    DiskFile file(path.c_str(), support::kGenericRead, support::kOpenExisting, true, true);
    EXPECT_FALSE(file.Write("abc", 3));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_EQ("Unable to write to '" + path + "'", capture.Messages()[0].text);
    EXPECT_EQ("Disk Write Error", capture.Messages()[0].caption);
}

TEST(DiskFile, ClosedFileFailsQuietly) {
    Scratch scratch;
    MessageCapture capture;
    std::string missing = scratch.PathOf("nothing-here");
    DiskFile file(missing.c_str(), support::kGenericRead, support::kOpenExisting, true, true);
    capture.Clear();
    char buffer[8] = "junk";
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(0u, file.Read(buffer, 8));
    EXPECT_FALSE(file.Write("x", 1));
    file.Seek(3);
    EXPECT_EQ(0u, file.Size());
    EXPECT_FALSE(file.ReadLine(buffer, 7));
    EXPECT_STREQ("", buffer);
    EXPECT_FALSE(file.Close());
    EXPECT_TRUE(capture.Messages().empty());
}

TEST(DiskFile, CloseIsSafeToRepeatAndSizeOfByName) {
    Scratch scratch;
    std::string path = scratch.PathOf("sized");
    WriteAll(path, std::string(1234, 's'));
    EXPECT_EQ(1234u, DiskFile::FileSizeOf(path.c_str()));
    EXPECT_EQ(0u, DiskFile::FileSizeOf(scratch.PathOf("absent").c_str()));
    DiskFile file(path.c_str(), support::kGenericRead, support::kOpenExisting, false, true);
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.Close());
}
