// File operations carried out when Windows next starts: putting a new file in
// place of one that is in use now, and deleting one that is in use now.
//
// NT-family systems take them through MoveFileExA with a delay until the
// restart; the older consumer family reads the "[rename]" section of
// WININIT.INI in the Windows folder instead. Which family is running is asked
// through a replaceable query, so that both branches can be tested on one
// system. File installation and the uninstaller both schedule through here.
#pragma once

namespace actions {

// Answers whether the running system belongs to the NT family.
using PlatformQuery = bool (*)();

// Replaces the platform query; nullptr restores the real one
// (GetVersionExA). Returns the query in use before (nullptr for the real one).
PlatformQuery SetPlatformQuery(PlatformQuery query);
bool IsNtPlatform();

// At the next restart: move source over target, which it replaces. Returns
// whether the system recorded the operation.
bool ScheduleReplaceAtRestart(const char* source, const char* target);
// At the next restart: delete path. Returns whether it was recorded.
bool ScheduleDeleteAtRestart(const char* path);

// Whether path is the source of a move recorded for the next restart (a new
// file waiting to replace one in use).
bool WaitsForRestart(const char* path);

// "<Windows>\WININIT.INI", expanded, into a 260-byte buffer.
void WininitPath(char* path);

}  // namespace actions
