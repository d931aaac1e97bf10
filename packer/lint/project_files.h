// The files of a project: what its setup script names and where they are.
//
// The installer finds entries by name without regard to letter case, so a
// file is found in a folder the same way: "Tool.EXE" in the script finds
// tool.exe on disk. The entry is then named as the file is on disk, as pack
// mode names it.
#pragma once

#include <string>
#include <vector>

#include "packer/common/pack_input.h"
#include "packer/lint/script_text.h"

namespace vornak_pack {

// A file the script names: a [CopyFile] entry name or a "<TempInstall>"
// entry, with the line that names it.
struct FileMention {
    std::string name;
    int line;
    const char* how;  // "[CopyFile]" or "<TempInstall>"
};

// Every mention in script order, the same name (in any letter case) once,
// at its first mention.
std::vector<FileMention> MentionedFiles(const ScriptText& script);

// The entry name after "<TempInstall>" in a program line, or null when the
// line does not name one.
const char* TempInstallEntry(const std::string& program);

// The path of the file called name (any letter case) in the first of folders
// that has one; the empty text when none has. A folder holding two files
// whose names differ only in case gives the one spelled as asked, else the
// first by name.
std::string FindInFolders(const std::vector<std::string>& folders, const std::string& name);

// The folders as a list for messages: "a, b and c".
std::string FolderList(const std::vector<std::string>& folders);

// The files to pack for the project in folder: setup.dat, setup.bmp and
// setup.lic when present, then every mentioned file. The setup files are
// looked for in folder, the banner and licence then in each of more; the
// mentioned files in folder and then in more. False, with a message naming
// the script line, when a mentioned file is in none of them.
bool ProjectInputs(const std::string& folder, const std::vector<std::string>& more,
                   const std::string& script_path, const ScriptText& script,
                   std::vector<PackInput>* inputs);

}  // namespace vornak_pack
