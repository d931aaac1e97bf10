// The run log's lines, held or written, and the process's one log.
#include "support/run_log.h"

#include <atomic>
#include <cstdarg>
#include <cstring>

#include "support/text.h"
#include "support/text_format.h"
#include "support/win32_values.h"

namespace support {

namespace {

std::atomic<RunLog*> g_attached{nullptr};

// A name part that stands for the project: it must not leave the folder or
// hold what a file name cannot.
void CopyFileNamePart(char* destination, size_t capacity, const char* source) {
    CopyText(destination, capacity, source);
    for (char* c = destination; *c != '\0'; ++c) {
        if (std::strchr("\\/:*?\"<>|", *c) != nullptr || static_cast<unsigned char>(*c) < 32) {
            *c = '_';
        }
    }
}

}  // namespace

RunLog::~RunLog() {
    Close();
}

void RunLog::Close() {
    if (g_attached.load() == this) {
        AttachRunLog(nullptr);
    }
    lock_.Lock();
    if (handle_ != nullptr) {
        fs::CloseFile(handle_);
        handle_ = nullptr;
    }
    held_length_ = 0;
    lock_.Unlock();
}

bool RunLog::OpenAt(const char* path) {
    fs::NativeHandle handle = fs::OpenFile(path, kGenericWrite, kCreateAlways, true);
    if (handle == nullptr) {
        return false;
    }
    lock_.Lock();
    handle_ = handle;
    CopyText(path_, path);
    WriteRaw(held_, held_length_);
    held_length_ = 0;
    lock_.Unlock();
    return true;
}

bool RunLog::OpenNew(const char* folder, const char* stem, char* chosen_path, size_t capacity) {
    char name_part[80];
    CopyFileNamePart(name_part, sizeof name_part, stem);
    for (int number = 1; number < 10000; ++number) {
        char path[sizeof path_];
        int length = FormatText(path, sizeof path, "%s%s-%d.log", folder, name_part, number);
        if (length < 0 || static_cast<size_t>(length) >= sizeof path) {
            return false;
        }
        // Made new, never opened over an earlier log of the same name.
        fs::NativeHandle handle = fs::OpenFile(path, kGenericWrite, kCreateNew, true);
        if (handle == nullptr) {
            continue;
        }
        fs::CloseFile(handle);
        CopyText(chosen_path, capacity, path);
        return OpenAt(path);
    }
    return false;
}

void RunLog::WriteRaw(const char* bytes, size_t count) {
    if (count == 0) {
        return;
    }
    if (handle_ == nullptr) {
        // Held until the file opens; what does not fit is dropped whole.
        if (held_length_ + count < sizeof held_) {
            std::memcpy(held_ + held_length_, bytes, count);
            held_length_ += count;
        }
        return;
    }
    uint32_t written = 0;
    fs::WriteBytes(handle_, bytes, static_cast<uint32_t>(count), &written);
}

void RunLog::Write(const char* text) {
    char stamp[40];
    LogTimeStamp(stamp, sizeof stamp);
    char utf8[3200];
    ToUtf8(text, utf8, sizeof utf8);
    char line[sizeof utf8 + sizeof stamp + 4];
    int length = FormatText(line, sizeof line, "%s %s\r\n", stamp, utf8);
    if (length < 0) {
        return;
    }
    lock_.Lock();
    WriteRaw(line, std::strlen(line));
    lock_.Unlock();
}

RunLog* AttachRunLog(RunLog* log) {
    return g_attached.exchange(log);
}

RunLog* AttachedRunLog() {
    return g_attached.load();
}

void LogLine(const char* format, ...) {
    RunLog* log = g_attached.load();
    if (log == nullptr) {
        return;
    }
    char text[1400];
    va_list arguments;
    va_start(arguments, format);
    int length = FormatTextList(text, sizeof text, format, arguments);
    va_end(arguments);
    if (length >= 0) {
        log->Write(text);
    }
}

}  // namespace support

namespace support {

void LogFailure(const char* what, const char* subject, unsigned long error) {
    if (g_attached.load() == nullptr) {
        return;
    }
    char words[300];
    SystemErrorText(error, words, sizeof words);
    LogLine("%s: %s: %s", what, subject, words);
}

}  // namespace support
