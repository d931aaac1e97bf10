// DiskFile: file access with error reporting and the CR LF line reader.
#include "support/disk_file.h"

#include "support/message_box.h"
#include "support/text.h"
#include "support/win32_values.h"

namespace support {

DiskFile::DiskFile(const char* path, uint32_t access, uint32_t creation, bool report, bool share)
    : report_(report) {
    CopyText(path_, path);
    handle_ = fs::OpenFile(path, access, creation, share);
    if (handle_ == nullptr && report_) {
        Report("Unable to open '", (access & kGenericWrite) ? "Disk Write Error" : "Disk Read Error");
    }
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
    uint32_t delivered = 0;
    uint32_t error = 0;
    bool ok = fs::ReadBytes(handle_, buffer, count, &delivered, &error);
    if (ok && delivered == count) {
        return count;
    }
    if (error != 0 && error != kErrorHandleEof && report_) {
        Report("Unable to read from '", "Disk Read Error");
    }
    return delivered;
}

bool DiskFile::Write(const void* buffer, uint32_t count) {
    if (!IsOpen()) {
        return false;
    }
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
    if (IsOpen()) {
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

bool DiskFile::Close() {
    if (!IsOpen()) {
        return false;
    }
    bool closed = fs::CloseFile(handle_);
    handle_ = nullptr;
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
        uint32_t delivered = 0;
        uint32_t error = 0;
        if (!fs::ReadBytes(handle_, &byte, 1, &delivered, &error) || delivered == 0) {
            buffer[stored] = '\0';
            return stored > 0;
        }
        if (byte == '\r') {
            // The LF of the CR LF pair; whatever it is, it belongs to this line.
            fs::ReadBytes(handle_, &byte, 1, &delivered, &error);
            break;
        }
        buffer[stored++] = byte;
    }
    buffer[stored] = '\0';
    return true;
}

uint64_t DiskFile::FileSizeOf(const char* path) {
    fs::NativeHandle handle = fs::OpenFile(path, 0, kOpenExisting, true);
    if (handle == nullptr) {
        return 0;
    }
    uint64_t size = 0;
    fs::QuerySize(handle, &size);
    fs::CloseFile(handle);
    return size;
}

}  // namespace support
