// How vornak-pack speaks to the person who runs it.
//
// Its own errors and warnings go through support::ShowMessage, the one path
// of every message in the system, so the host tests capture them exactly as
// they capture the core's boxes. The program's presenter writes both to
// stderr, the core's with their paths turned back into Linux form.
#pragma once

#include <string>

namespace vornak_pack {

// The caption of the tool's own messages; the core's carry theirs ("Install",
// "Disk Read Error", ...).
constexpr const char* kToolCaption = "vornak-pack";

void ReportError(const std::string& text);
void ReportWarning(const std::string& text);

// Makes every message, the core's included, a line on stderr.
void UseConsolePresenter();

// The line the console presenter prints for a message (without newline),
// its control characters escaped: messages quote entry names from packages.
std::string ConsoleLine(const char* text, const char* caption, unsigned flags);

}  // namespace vornak_pack
