// The run log's platform part on Linux: text is UTF-8 already.
#include <cstring>
#include <ctime>

#include <sys/time.h>

#include "support/run_log.h"
#include "support/text.h"
#include "support/text_format.h"

namespace support {

void LogTimeStamp(char* buffer, size_t capacity) {
    timeval now = {};
    gettimeofday(&now, nullptr);
    tm local = {};
    time_t seconds = now.tv_sec;
    localtime_r(&seconds, &local);
    FormatText(buffer, capacity, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900,
               local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
               static_cast<int>(now.tv_usec / 1000));
}

void ToUtf8(const char* text, char* buffer, size_t capacity) {
    CopyText(buffer, capacity, text);
}

void SystemErrorText(unsigned long code, char* buffer, size_t capacity) {
    FormatText(buffer, capacity, "%s", std::strerror(static_cast<int>(code)));
}

}  // namespace support
