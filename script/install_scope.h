// Who an install is for: the package's "[Install Scope]" section, and what
// only an install for all users may do.
//
//   [Install Scope]
//   CurrentUser        AllUsers, CurrentUser or Both
//
// A package without the section installs for all users, as every package
// made before it did; older installers skip the section as one they do not
// know.
#pragma once

#include <cstddef>

namespace script {

enum class InstallScopes { kAllUsers, kCurrentUser, kEither };

// The section's word; false, leaving *scopes alone, for any other text.
bool ParseInstallScopes(const char* word, InstallScopes* scopes);

// The word of the script's last [Install Scope] section, as read (empty
// when there is none).
void ReadInstallScopeWord(const char* script_path, char* word, size_t capacity);

// The scopes the script at script_path allows: all users when it has no
// [Install Scope] section or its word is none of the three.
InstallScopes ReadInstallScopes(const char* script_path);

// Whether a section, its head and its count value lines, is one that only
// an install for all users may carry out; what then describes it for a
// message. The installer and the linter judge by this one rule.
bool IsMachineOnlyItem(const char* head, const char* const* values, int count, char* what,
                       size_t capacity);

// The first item of the script that an install for the current user alone
// cannot carry out, as a text for a message ("[Registry] under HKLM",
// "[CopyFile] into <System>"); false when there is none. Such an install
// writes neither the machine's registry nor the system's folders.
bool FindMachineOnlyItem(const char* script_path, char* what, size_t capacity);

}  // namespace script
