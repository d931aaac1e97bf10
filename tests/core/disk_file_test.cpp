// DiskFile: the line reader, silent short reads, the three messages and the
// behaviour of a file that did not open.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
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
    DiskFile file(path.c_str(), DiskFile::kRead | DiskFile::kReportErrors);
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

// The line reader reads ahead; everything else must behave as if it had read
// a byte at a time. A model of that over a string, driven by the same random
// mix of calls as the real file, finds any byte the read-ahead loses, repeats
// or hands out at the wrong position.
class ByteAtATimeModel {
  public:
    explicit ByteAtATimeModel(std::string content) : content_(std::move(content)) {}
    Line ReadLine(uint32_t max) {
        std::string line;
        if (max == 0) {
            return {"", true};
        }
        while (line.size() < max) {
            if (position_ >= content_.size()) {
                return {line, !line.empty()};
            }
            char byte = content_[position_++];
            if (byte == '\r') {
                position_ += position_ < content_.size() ? 1 : 0;
                break;
            }
            line += byte;
        }
        return {line, true};
    }
    std::string Read(uint32_t count) {
        std::string part = content_.substr(std::min<size_t>(position_, content_.size()), count);
        position_ += part.size();
        return part;
    }
    void Seek(uint32_t offset) { position_ = offset; }

  private:
    std::string content_;
    size_t position_ = 0;
};

TEST(DiskFileReadLine, MixedWithReadAndSeekMatchesByteAtATimeReading) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 20; ++round) {
        std::string content;
        size_t length = 1 + random() % 9000;
        const char alphabet[] = "ab\r\n[]x";
        for (size_t i = 0; i < length; ++i) {
            content += alphabet[random() % (sizeof alphabet - 1)];
        }
        Scratch scratch;
        std::string path = scratch.PathOf("mixed.txt");
        WriteAll(path, content);
        DiskFile file(path.c_str(), DiskFile::kRead | DiskFile::kReportErrors);
        ByteAtATimeModel model(content);
        for (int call = 0; call < 400; ++call) {
            uint32_t choice = random() % 10;
            if (choice < 7) {
                uint32_t max = random() % 300;
                std::vector<char> buffer(max + 1, '#');
                bool result = file.ReadLine(buffer.data(), max);
                ASSERT_EQ(model.ReadLine(max), (Line{buffer.data(), result})) << "call " << call;
            } else if (choice < 9) {
                uint32_t count = random() % 2000;
                std::string got(count, '\0');
                got.resize(file.Read(got.data(), count));
                ASSERT_EQ(model.Read(count), got) << "call " << call;
            } else {
                uint32_t offset = random() % (length + 10);
                file.Seek(static_cast<int32_t>(offset));
                model.Seek(offset);
            }
        }
    }
}

TEST(DiskFileReadLine, WriteAfterAReadLineLandsRightAfterTheLine) {
    Scratch scratch;
    std::string path = scratch.PathOf("rewrite.txt");
    WriteAll(path, "one\r\nXXXX\r\ntail");
    {
        DiskFile file(path.c_str(), DiskFile::kRead | DiskFile::kWrite | DiskFile::kReportErrors);
        char line[16];
        ASSERT_TRUE(file.ReadLine(line, 15));
        EXPECT_STREQ("one", line);
        file.Seek(-1);  // ignored: the read-ahead stays valid too
        EXPECT_TRUE(file.Write("ab", 2));
        ASSERT_TRUE(file.ReadLine(line, 15));
        EXPECT_STREQ("XX", line);
        ASSERT_TRUE(file.ReadLine(line, 15));
        EXPECT_STREQ("tail", line);
        EXPECT_FALSE(file.ReadLine(line, 15));
    }
    DiskFile check(path.c_str(), DiskFile::kRead | DiskFile::kReportErrors);
    char all[32] = {};
    EXPECT_EQ(15u, check.Read(all, 31));
    EXPECT_STREQ("one\r\nabXX\r\ntail", all);
}

TEST(DiskFile, ShortReadAtEndIsSilent) {
    Scratch scratch;
    MessageCapture capture;
    std::string path = scratch.PathOf("ten");
    WriteAll(path, "0123456789");
    DiskFile file(path.c_str(), DiskFile::kRead | DiskFile::kReportErrors);
    char buffer[24];
    EXPECT_EQ(10u, file.Read(buffer, 24));
    EXPECT_EQ(0u, file.Read(buffer, 24));
    EXPECT_EQ(10u, file.Size());
    file.Seek(4);
    EXPECT_EQ(6u, file.Read(buffer, 24));
    file.Seek(-1);  // negative offsets are ignored
    EXPECT_EQ(0u, file.Read(buffer, 24));
    // Nothing asked for, into no buffer (the data of an empty entry): the
    // sanitizers see no null pointer handed on.
    EXPECT_EQ(0u, file.Read(nullptr, 0));
    EXPECT_TRUE(capture.Messages().empty());
}

TEST(DiskFile, OpenFailureNamesTheFileAndTheDirection) {
    Scratch scratch;
    MessageCapture capture;
    std::string missing = scratch.PathOf("missing.txt");
    DiskFile reading(missing.c_str(), DiskFile::kRead | DiskFile::kReportErrors);
    DiskFile writing(missing.c_str(), DiskFile::kRead | DiskFile::kWrite | DiskFile::kReportErrors);
    DiskFile quiet(missing.c_str(), DiskFile::kRead);
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
    DiskFile file(path.c_str(), DiskFile::kRead | DiskFile::kReportErrors);
    EXPECT_FALSE(file.Write("abc", 3));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_EQ("Unable to write to '" + path + "'", capture.Messages()[0].text);
    EXPECT_EQ("Disk Write Error", capture.Messages()[0].caption);
}

TEST(DiskFile, ClosedFileFailsQuietly) {
    Scratch scratch;
    MessageCapture capture;
    std::string missing = scratch.PathOf("nothing-here");
    DiskFile file(missing.c_str(), DiskFile::kRead | DiskFile::kReportErrors);
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

TEST(DiskFile, CloseIsSafeToRepeat) {
    Scratch scratch;
    std::string path = scratch.PathOf("sized");
    WriteAll(path, std::string(1234, 's'));
    DiskFile file(path.c_str(), DiskFile::kRead);
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.Close());
}

TEST(DiskFile, OpenFlagsDecideWhatBecomesOfMissingAndExistingFiles) {
    Scratch scratch;
    std::string path = scratch.PathOf("flags.txt");
    EXPECT_FALSE(DiskFile(path.c_str(), DiskFile::kRead | DiskFile::kWrite).IsOpen());
    EXPECT_FALSE(testing_support::FileExists(path));
    EXPECT_TRUE(DiskFile(path.c_str(), DiskFile::kWrite | DiskFile::kCreate).IsOpen());
    EXPECT_EQ("", testing_support::ReadAll(path));

    WriteAll(path, "kept");
    {
        DiskFile file(path.c_str(), DiskFile::kRead | DiskFile::kWrite | DiskFile::kCreate);
        char text[8] = {};
        EXPECT_EQ(4u, file.Read(text, 7));
        EXPECT_STREQ("kept", text);
    }
    EXPECT_TRUE(DiskFile(path.c_str(), DiskFile::kWrite | DiskFile::kCreateEmpty).IsOpen());
    EXPECT_EQ("", testing_support::ReadAll(path));
}
