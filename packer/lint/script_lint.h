// The setup script linter: the mistakes the installer passes over in
// silence (a head in the wrong letter case, a line ending in LF alone,
// "HKLM" in lower case, "<Desktop>" for "<DeskTop>", "optional - " in lower
// case, ...), each reported with its line, a severity and a one-line fix.
//
// Errors are mistakes that make an action vanish or go wrong at install
// time; warnings are what is probably not meant but works as written.
#pragma once

#include <string>
#include <vector>

#include "packer/lint/script_text.h"

namespace vornak_pack {

enum class Severity { kWarning, kError };

struct Finding {
    int line;  // 0 for the script as a whole
    Severity severity;
    std::string text;
};

// Checks script. The files it names are looked for in folders (see
// FindInFolders). Findings come in line order.
std::vector<Finding> LintScript(const ScriptText& script, const std::vector<std::string>& folders);

// "setup.dat:12: error: ..." (no line number for the whole script).
std::string FormatFinding(const std::string& path, const Finding& finding);

int CountFindings(const std::vector<Finding>& findings, Severity severity);

}  // namespace vornak_pack
