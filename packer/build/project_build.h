// build --project and lint: a project folder's setup script checked, and
// the files it names gathered in the order the installer should hold them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "packer/common/pack_input.h"
#include "packer/lint/script_text.h"

namespace vornak_pack {

struct LintRequest {
    std::string script_path;
    std::vector<std::string> folders;  // where the named files are looked for
    bool strict = false;               // warnings count as errors
};

// Prints the findings on out and a summary line. True when the script may
// be built: no errors, and no warnings either when strict.
bool LintAndReport(const LintRequest& request, const ScriptText& script, std::FILE* out);

// lint SCRIPT: reads and checks the script; the named files are looked for
// in its own folder, then in extra_folders. utf8 reads it as UTF-8 whatever
// it holds, as build --utf8 packs it.
bool LintScriptFile(const std::string& path, const std::vector<std::string>& extra_folders,
                    bool strict, bool utf8, std::FILE* out);

struct ProjectRequest {
    std::string folder;
    std::vector<std::string> extra_folders;  // --files, searched after folder
    bool lint = true;
    bool strict = false;
    bool utf8 = false;  // --utf8: the script is linted as UTF-8
};

// The files to pack for the project, after the linter has passed its
// script (findings go to stderr). False, with messages, when it has not or a
// file is missing. A file that is a symbolic link out of its folder is
// warned of, or with strict refused.
bool GatherProject(const ProjectRequest& request, std::vector<PackInput>* inputs);

}  // namespace vornak_pack
