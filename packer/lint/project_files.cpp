// Finding a project's files.
#include "packer/lint/project_files.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "packer/common/host_path.h"
#include "packer/common/tool_messages.h"

namespace vornak_pack {

namespace {

constexpr char kTempInstall[] = "<TempInstall>";

bool IsRegularFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string InFolder(const std::string& folder, const std::string& name) {
    return folder + (!folder.empty() && folder.back() == '/' ? "" : "/") + name;
}

std::string FindInFolder(const std::string& folder, const std::string& name) {
    std::string exact = InFolder(folder, name);
    if (IsRegularFile(exact)) {
        return exact;
    }
    std::vector<std::string> matches;
    DIR* dir = opendir(folder.c_str());
    while (dirent* entry = dir != nullptr ? readdir(dir) : nullptr) {
        if (SameEntryName(entry->d_name, name) && IsRegularFile(InFolder(folder, entry->d_name))) {
            matches.push_back(entry->d_name);
        }
    }
    if (dir != nullptr) {
        closedir(dir);
    }
    if (matches.empty()) {
        return "";
    }
    return InFolder(folder, *std::min_element(matches.begin(), matches.end()));
}

bool AlreadyIn(const std::vector<PackInput>& inputs, const std::string& name) {
    for (const PackInput& input : inputs) {
        if (SameEntryName(input.name, name)) {
            return true;
        }
    }
    return false;
}

void AddIfFound(const std::vector<std::string>& folders, const char* name,
                std::vector<PackInput>* inputs) {
    std::string path = FindInFolders(folders, name);
    if (!path.empty()) {
        inputs->push_back({path, HostFileName(path)});
    }
}

}  // namespace

const char* TempInstallEntry(const std::string& program) {
    // The installer takes the token as standing at the start of the path,
    // wherever it is found, and skips one backslash after it.
    size_t at = program.find(kTempInstall);
    if (at == std::string::npos) {
        return nullptr;
    }
    const char* entry = program.c_str() + at + sizeof kTempInstall - 1;
    return *entry == '\\' ? entry + 1 : entry;
}

std::vector<FileMention> MentionedFiles(const ScriptText& script) {
    std::vector<FileMention> mentions;
    auto mention = [&](const std::string& name, size_t line, const char* how) {
        for (const FileMention& earlier : mentions) {
            if (SameEntryName(earlier.name, name)) {
                return;
            }
        }
        mentions.push_back({name, script.Lines()[line].number, how});
    };
    for (const ScriptSection& section : script.Sections()) {
        const char* head = section.layout->head;
        bool copy = std::strcmp(head, script::kCopyFileHead) == 0;
        bool run = std::strcmp(head, script::kRunFileHead) == 0 ||
                   std::strcmp(head, script::kRunAndWaitFileHead) == 0;
        if (section.values.empty() || (!copy && !run)) {
            continue;
        }
        const std::string& first = script.Lines()[section.values[0]].text;
        if (copy) {
            mention(first, section.values[0], script::kCopyFileHead);
        } else if (const char* entry = TempInstallEntry(first)) {
            mention(entry, section.values[0], kTempInstall);
        }
    }
    return mentions;
}

std::string FindInFolders(const std::vector<std::string>& folders, const std::string& name) {
    // A name with a folder part, or none at all, is no entry name.
    if (name.empty() || name.find_first_of("/\\") != std::string::npos) {
        return "";
    }
    for (const std::string& folder : folders) {
        std::string path = FindInFolder(folder, name);
        if (!path.empty()) {
            return path;
        }
    }
    return "";
}

std::string FolderList(const std::vector<std::string>& folders) {
    std::string list;
    for (size_t i = 0; i < folders.size(); ++i) {
        list += (i == 0 ? "" : (i + 1 == folders.size() ? " and " : ", ")) + folders[i];
    }
    return list;
}

bool ProjectInputs(const std::string& folder, const std::vector<std::string>& more,
                   const std::string& script_path, const ScriptText& script,
                   std::vector<PackInput>* inputs) {
    std::vector<std::string> folders = {folder};
    folders.insert(folders.end(), more.begin(), more.end());
    inputs->clear();
    inputs->push_back({script_path, HostFileName(script_path)});
    AddIfFound(folders, "setup.bmp", inputs);
    AddIfFound(folders, "setup.lic", inputs);
    for (const FileMention& mention : MentionedFiles(script)) {
        if (AlreadyIn(*inputs, mention.name)) {
            continue;
        }
        std::string path = FindInFolders(folders, mention.name);
        if (path.empty()) {
            ReportError(script_path + ":" + std::to_string(mention.line) + ": '" + mention.name +
                        "', named by " + mention.how + ", is in none of " + FolderList(folders));
            return false;
        }
        inputs->push_back({path, HostFileName(path)});
    }
    return true;
}

}  // namespace vornak_pack
