// DiskFile: file access with error reporting and the CR LF line reader.
#include "support/disk_file.h"

#include <cstring>

#include "support/message_box.h"
#include "support/text.h"
#include "support/win32_values.h"

namespace support {

namespace {

uint32_t AccessOf(DiskFile::OpenFlags flags) {
    return ((flags & DiskFile::kRead) ? kGenericRead : 0) |
           ((flags & DiskFile::kWrite) ? kGenericWrite : 0);
}

uint32_t CreationOf(DiskFile::OpenFlags flags) {
    if (flags & DiskFile::kCreateEmpty) {
        return kCreateAlways;
    }
    return (flags & DiskFile::kCreate) ? kOpenAlways : kOpenExisting;
}

}  // namespace

DiskFile::DiskFile(const char* path, OpenFlags flags) : report_((flags & kReportErrors) != 0) {
    CopyText(path_, path);
    handle_ = fs::OpenFile(path, AccessOf(flags), CreationOf(flags), true);
    if (handle_ == nullptr && report_) {
        Report("Unable to open '", (flags & kWrite) ? "Disk Write Error" : "Disk Read Error");
    }
}

DiskFile::DiskFile(fs::NativeHandle borrowed, const char* path, OpenFlags flags)
    : handle_(borrowed), borrowed_(true), report_((flags & kReportErrors) != 0) {
    CopyText(path_, path);
}

DiskFile::~DiskFile() {
    Close();
}

void DiskFile::Report(const char* prefix, const char* caption) const {
    char text[1000];
    CopyText(text, prefix);
    AppendText(text, path_);
    AppendText(text, "'");
    char caption_text[100];
    CopyText(caption_text, caption);
    ShowMessage(text, caption_text, kMbIconInformation);
}

uint32_t DiskFile::Read(void* buffer, uint32_t count) {
    if (!IsOpen()) {
        return 0;
    }
    // What ReadLine read ahead comes first; the rest straight from the file.
    uint32_t from_ahead = ahead_end_ - ahead_next_;
    if (from_ahead > count) {
        from_ahead = count;
    }
    // memcpy may not be handed a null buffer even for no bytes, and a caller
    // reading nothing (an empty entry's data) may well have none.
    if (from_ahead > 0) {
        std::memcpy(buffer, ahead_ + ahead_next_, from_ahead);
    }
    ahead_next_ += from_ahead;
    if (from_ahead == count) {
        return count;
    }
    uint32_t delivered = 0;
    uint32_t error = 0;
    bool ok = fs::ReadBytes(handle_, static_cast<char*>(buffer) + from_ahead, count - from_ahead,
                            &delivered, &error);
    if (ok && delivered == count - from_ahead) {
        return count;
    }
    if (error != 0 && error != kErrorHandleEof && report_) {
        Report("Unable to read from '", "Disk Read Error");
    }
    return from_ahead + delivered;
}

void DiskFile::DropReadAhead() {
    if (ahead_next_ != ahead_end_) {
        fs::SeekBy(handle_, -static_cast<int32_t>(ahead_end_ - ahead_next_));
    }
    ahead_next_ = 0;
    ahead_end_ = 0;
}

bool DiskFile::Write(const void* buffer, uint32_t count) {
    if (!IsOpen()) {
        return false;
    }
    DropReadAhead();
    uint32_t written = 0;
    if (fs::WriteBytes(handle_, buffer, count, &written) && written == count) {
        return true;
    }
    if (report_) {
        Report("Unable to write to '", "Disk Write Error");
    }
    return false;
}

void DiskFile::Seek(int32_t offset) {
    // A negative offset leaves the position alone, read-ahead included.
    if (IsOpen() && offset >= 0) {
        ahead_next_ = 0;
        ahead_end_ = 0;
        fs::SeekTo(handle_, offset);
    }
}

uint64_t DiskFile::Size() const {
    uint64_t size = 0;
    if (!IsOpen() || !fs::QuerySize(handle_, &size)) {
        return 0;
    }
    return size;
}

bool DiskFile::Flush() {
    return IsOpen() && fs::FlushFile(handle_);
}

bool DiskFile::Close() {
    if (!IsOpen()) {
        return false;
    }
    bool closed = borrowed_ || fs::CloseFile(handle_);
    handle_ = nullptr;
    ahead_next_ = 0;
    ahead_end_ = 0;
    return closed;
}

bool DiskFile::ReadLine(char* buffer, uint32_t max) {
    buffer[0] = '\0';
    if (!IsOpen()) {
        return false;
    }
    if (max == 0) {
        return true;
    }
    uint32_t stored = 0;
    while (stored < max) {
        char byte = 0;
        if (!NextLineByte(&byte)) {
            buffer[stored] = '\0';
            return stored > 0;
        }
        if (byte == '\r') {
            // The LF of the CR LF pair; whatever it is, it belongs to this line.
            NextLineByte(&byte);
            break;
        }
        buffer[stored++] = byte;
    }
    buffer[stored] = '\0';
    return true;
}

bool DiskFile::SkipUtf8Signature() {
    static const uint8_t kSignature[] = {0xEF, 0xBB, 0xBF};
    uint8_t start[sizeof kSignature] = {};
    Seek(0);
    if (Read(start, sizeof start) == sizeof start &&
        std::memcmp(start, kSignature, sizeof start) == 0) {
        return true;
    }
    Seek(0);
    return false;
}

bool DiskFile::ReadUtf8Line(char* buffer, uint32_t max, uint32_t capacity) {
    if (capacity == 0) {
        return false;
    }
    buffer[0] = '\0';
    if (!IsOpen()) {
        return false;
    }
    uint32_t stored = 0;
    uint32_t characters = 0;
    bool any = false;
    while (stored + 1 < capacity) {
        char byte = 0;
        if (!NextLineByte(&byte)) {
            break;
        }
        any = true;
        bool continues_character = (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
        if (!continues_character && characters == max) {
            // The first byte of the next line (a CR too, as ReadLine leaves
            // it); it came from the read-ahead, so it is taken again there.
            --ahead_next_;
            break;
        }
        if (byte == '\r') {
            NextLineByte(&byte);
            break;
        }
        characters += continues_character ? 0 : 1;
        buffer[stored++] = byte;
    }
    buffer[stored] = '\0';
    return any;
}

bool DiskFile::NextLineByte(char* byte) {
    if (ahead_next_ == ahead_end_) {
        uint32_t delivered = 0;
        uint32_t error = 0;
        ahead_next_ = 0;
        ahead_end_ = 0;
        // A failed read may still have delivered bytes; they are the file's.
        fs::ReadBytes(handle_, ahead_, sizeof ahead_, &delivered, &error);
        if (delivered > sizeof ahead_) {
            delivered = 0;
        }
        ahead_end_ = delivered;
        if (delivered == 0) {
            return false;
        }
    }
    *byte = ahead_[ahead_next_++];
    return true;
}

}  // namespace support
