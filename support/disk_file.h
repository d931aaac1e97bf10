// DiskFile: the one wrapper around an open file.
//
// It is opened with named flags: what for, what to do with a missing or an
// existing file, and whether failures are shown. With kReportErrors a failed
// open, read or write shows a message box naming the file; the call still
// returns its failure result. ReadLine reads
// the CR LF lines of the setup script and the uninstall record. It reads
// ahead in blocks, since a call per byte costs a system call per byte (and a
// Wine round trip under Wine); every other call first gives back or drops
// what was read ahead, so Seek, Read, Write and ReadLine mix exactly as if
// lines were read a byte at a time.
#pragma once

#include <cstdint>

#include "support/file_system.h"

namespace support {

class DiskFile {
  public:
    // Combined with |. Without kCreate or kCreateEmpty the file must exist.
    // Every open lets other handles read and write the file meanwhile: the
    // installer reads its own running image, and tests look at files the
    // code under test holds open.
    using OpenFlags = uint32_t;
    static constexpr OpenFlags kRead = 1u << 0;
    static constexpr OpenFlags kWrite = 1u << 1;
    // A missing file is made; an existing one is opened as it is.
    static constexpr OpenFlags kCreate = 1u << 2;
    // The file is made, or emptied when it exists.
    static constexpr OpenFlags kCreateEmpty = 1u << 3;
    // A failed open, read or write shows a box naming the file.
    static constexpr OpenFlags kReportErrors = 1u << 4;

    DiskFile(const char* path, OpenFlags flags);
    // Reads and writes through a handle someone else opened and closes:
    // Close lets go of it without closing it. path names it in messages.
    DiskFile(fs::NativeHandle borrowed, const char* path, OpenFlags flags);
    ~DiskFile();
    DiskFile(const DiskFile&) = delete;
    DiskFile& operator=(const DiskFile&) = delete;

    bool IsOpen() const { return handle_ != nullptr; }
    // Returns the number of bytes read; a short read at end of file is silent.
    uint32_t Read(void* buffer, uint32_t count);
    // Returns true when all count bytes were written.
    bool Write(const void* buffer, uint32_t count);
    // Absolute position as a signed 32-bit offset; a negative one is ignored.
    void Seek(int32_t offset);
    uint64_t Size() const;
    // Returns once what was written is on the disk itself; false when that
    // failed or the file is not open.
    bool Flush();
    // Returns whether the close succeeded; false when already closed.
    bool Close();
    // Reads past the UTF-8 signature (EF BB BF) at the start of the file and
    // returns true; without one, the file is back at its start and false.
    bool SkipUtf8Signature();
    // Reads one CR LF line of at most max characters into buffer, which must
    // hold max + 1 bytes. Returns false at end of file with nothing stored.
    bool ReadLine(char* buffer, uint32_t max);
    // The same for UTF-8 text, where max counts characters rather than
    // bytes and a line never ends inside a character. buffer holds capacity
    // bytes (4 * max + 1 takes any line); text that is not UTF-8 stops at
    // capacity - 1 bytes.
    bool ReadUtf8Line(char* buffer, uint32_t max, uint32_t capacity);

  private:
    void Report(const char* prefix, const char* caption) const;
    // The next byte for ReadLine, refilling the read-ahead when it is empty;
    // false at end of file or on a failed read.
    bool NextLineByte(char* byte);
    // Moves the file position back over the unread read-ahead and drops it,
    // so the position is where the caller believes it is.
    void DropReadAhead();

    fs::NativeHandle handle_ = nullptr;
    bool borrowed_ = false;
    char path_[300];
    bool report_;
    // Bytes read from the file but not yet handed out: ahead_[ahead_next_]
    // up to ahead_end_. The file position is ahead_end_ - ahead_next_ bytes
    // past the position callers see.
    uint32_t ahead_next_ = 0;
    uint32_t ahead_end_ = 0;
    char ahead_[1024];
};

}  // namespace support
