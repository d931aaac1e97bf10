// The linter's rules, by what they look at; script_lint.cpp runs them all.
#pragma once

#include <string>
#include <vector>

#include "packer/lint/script_lint.h"

namespace vornak_pack {

class FindingList {
  public:
    void Error(int line, const std::string& text) {
        findings_.push_back({line, Severity::kError, text});
    }
    void Warning(int line, const std::string& text) {
        findings_.push_back({line, Severity::kWarning, text});
    }
    std::vector<Finding>& All() { return findings_; }

  private:
    std::vector<Finding> findings_;
};

// Line ends, line lengths, and lines outside every section: near-miss heads,
// unknown bracketed lines, stray text.
void LintLines(const ScriptText& script, FindingList* out);

// The value lines of one section: values that are heads, folder tokens,
// optional lines, and the rules of [Registry], [Message], [CreateIcon] and
// the files named by [CopyFile] and "<TempInstall>".
void LintSection(const ScriptText& script, const ScriptSection& section,
                 const std::vector<std::string>& folders, FindingList* out);

// The folder tokens of one value line.
void LintTokens(const std::string& text, int line, bool expanded, bool temp_install_allowed,
                FindingList* out);

// A [Registry] section's root word, type word and number.
void LintRegistry(const ScriptText& script, const ScriptSection& section, FindingList* out);

// [Install Scope]: its word, and the items an install for the current user
// alone would be refused for.
void LintInstallScope(const ScriptText& script, FindingList* out);

// "Quoted" text for messages.
inline std::string Quote(const std::string& text) {
    return "'" + text + "'";
}

}  // namespace vornak_pack
