// The linter's rules on [Install Scope]: a word the installer knows, and no
// item that an install for the current user would be refused for.
#include <string>
#include <vector>

#include "packer/lint/lint_rules.h"
#include "script/install_scope.h"
#include "script/setup_script.h"

namespace vornak_pack {

namespace {

// The scopes the last [Install Scope] allows, as the installer reads them;
// all users without one, or with a word it does not know.
script::InstallScopes LintScopeWords(const ScriptText& script, FindingList* out) {
    script::InstallScopes scopes = script::InstallScopes::kAllUsers;
    int sections = 0;
    for (const ScriptSection& section : script.Sections()) {
        if (std::string(section.layout->head) != script::kInstallScopeHead ||
            section.values.empty()) {
            continue;
        }
        const ScriptLine& value = script.Lines()[section.values[0]];
        scopes = script::InstallScopes::kAllUsers;
        if (!script::ParseInstallScopes(value.text.c_str(), &scopes)) {
            out->Error(value.number, Quote(value.text) +
                                         " is no install scope, and the package then installs "
                                         "for all users only; write AllUsers, CurrentUser or "
                                         "Both");
        }
        if (++sections == 2) {
            out->Warning(script.Lines()[section.head].number,
                         "a second [Install Scope]: the last one counts; keep one");
        }
    }
    return scopes;
}

}  // namespace

void LintInstallScope(const ScriptText& script, FindingList* out) {
    if (LintScopeWords(script, out) == script::InstallScopes::kAllUsers) {
        return;
    }
    for (const ScriptSection& section : script.Sections()) {
        std::vector<const char*> values;
        for (size_t index : section.values) {
            values.push_back(script.Lines()[index].text.c_str());
        }
        char what[256];
        if (script::IsMachineOnlyItem(section.layout->head, values.data(),
                                      static_cast<int>(values.size()), what, sizeof what)) {
            out->Error(script.Lines()[section.head].number,
                       std::string("an install for the current user cannot make a ") + what +
                           " (the machine's registry and folders are for installs for all "
                           "users): the installer refuses such an install; make the item "
                           "the user's own (HKCU, <Program Files>, <Destination>) or write "
                           "AllUsers in [Install Scope]");
        }
    }
}

}  // namespace vornak_pack
