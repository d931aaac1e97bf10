// Win32 constant values that the portable core passes around.
//
// The portable core (archive, codec, script reading, path text) is built for
// Windows and for Linux. It speaks in Win32 terms (access rights, creation
// dispositions, message-box flags) so that its behaviour is the same on both,
// but it must not include <windows.h>. These are the same numbers; the
// Windows file-system layer checks that at compile time.
#pragma once

#include <cstdint>

namespace support {

constexpr uint32_t kGenericRead = 0x80000000u;
constexpr uint32_t kGenericWrite = 0x40000000u;

constexpr uint32_t kCreateNew = 1;
constexpr uint32_t kCreateAlways = 2;
constexpr uint32_t kOpenExisting = 3;
constexpr uint32_t kOpenAlways = 4;

constexpr uint32_t kErrorHandleEof = 38;

constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbAbortRetryIgnore = 0x2;
constexpr unsigned kMbTypeMask = 0xF;
constexpr unsigned kMbRetryCancel = 0x5;
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbIconError = 0x10;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconWarning = 0x30;
constexpr unsigned kMbIconInformation = 0x40;
constexpr unsigned kMbDefButton2 = 0x100;
constexpr unsigned kMbTopmost = 0x40000;

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// Every path buffer in the system: a Windows path of at most 259 UTF-16
// characters and a NUL, as program text. In UTF-8 (support/program_text.h)
// such a character takes up to three bytes.
constexpr unsigned kMaxPath = 3 * 259 + 1;

}  // namespace support
