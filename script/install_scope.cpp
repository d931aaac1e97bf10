// The package's install scopes and what an install for one user cannot do.
#include "script/install_scope.h"

#include <cstring>

#include "script/setup_script.h"
#include "support/text.h"
#include "support/text_format.h"

namespace script {

namespace {

struct ScopeWord {
    const char* word;
    InstallScopes scopes;
};

constexpr ScopeWord kScopeWords[] = {{"AllUsers", InstallScopes::kAllUsers},
                                     {"CurrentUser", InstallScopes::kCurrentUser},
                                     {"Both", InstallScopes::kEither}};

constexpr const char* kSystemFolderTokens[] = {"<System>", "<Windows>"};
constexpr const char* kJudgedHeads[] = {kRegistryHead, kCopyFileHead};

}  // namespace

bool ParseInstallScopes(const char* word, InstallScopes* scopes) {
    for (const ScopeWord& entry : kScopeWords) {
        if (std::strcmp(word, entry.word) == 0) {
            *scopes = entry.scopes;
            return true;
        }
    }
    return false;
}

void ReadInstallScopeWord(const char* script_path, char* word, size_t capacity) {
    ReadLastSectionValue(script_path, kInstallScopeHead, word, capacity);
}

InstallScopes ReadInstallScopes(const char* script_path) {
    char word[LineCapacity(kValueLineLimit)];
    ReadInstallScopeWord(script_path, word, sizeof word);
    InstallScopes scopes = InstallScopes::kAllUsers;
    ParseInstallScopes(word, &scopes);
    return scopes;
}

bool IsMachineOnlyItem(const char* head, const char* const* values, int count, char* what,
                       size_t capacity) {
    if (std::strcmp(head, kRegistryHead) == 0 && count >= 1) {
        // HKCR writes land in the machine's classes unless the user's own
        // hold the key already; only HKCU is the user's for certain.
        if (std::strcmp(values[0], "HKCU") != 0) {
            support::FormatText(what, capacity, "[Registry] under %s", values[0]);
            return true;
        }
    } else if (std::strcmp(head, kCopyFileHead) == 0 && count >= 2) {
        // The system's folders, and with them the shared files counted in
        // the machine's registry.
        for (const char* folder : kSystemFolderTokens) {
            if (std::strstr(values[1], folder) != nullptr) {
                support::FormatText(what, capacity, "[CopyFile] into %s", folder);
                return true;
            }
        }
    }
    return false;
}

bool FindMachineOnlyItem(const char* script_path, char* what, size_t capacity) {
    SetupScript script(script_path);
    SectionValues values;
    while (script.NextLine()) {
        for (const char* head : kJudgedHeads) {
            if (script.ReadSectionAt(head, &values)) {
                const char* lines[kMostValueLines];
                for (int i = 0; i < values.count; ++i) {
                    lines[i] = values.Line(i);
                }
                if (IsMachineOnlyItem(head, lines, values.count, what, capacity)) {
                    return true;
                }
                break;
            }
        }
    }
    return false;
}

}  // namespace script
