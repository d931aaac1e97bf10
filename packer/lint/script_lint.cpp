// The linter's entry point, its rules on lines and on the script as a whole.
#include "packer/lint/script_lint.h"

#include <algorithm>
#include <cctype>

#include "packer/common/utf8_text.h"
#include "packer/lint/lint_rules.h"
#include "packer/lint/word_match.h"

namespace vornak_pack {

namespace {

// A head as a careless hand might write it: letter case and spaces gone.
std::string Loose(const std::string& text) {
    std::string loose;
    for (char c : text) {
        if (c != ' ' && c != '\t') {
            loose += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return loose;
}

std::vector<std::string> HeadWords() {
    std::vector<std::string> heads;
    for (int i = 0; i < script::kSectionLayoutCount; ++i) {
        heads.push_back(script::kSectionLayouts[i].head);
    }
    return heads;
}

// The read limit of every line: a value line's own, else the head test's.
std::vector<uint32_t> LineLimits(const ScriptText& script) {
    std::vector<uint32_t> limits(script.Lines().size(), script::kLongLineLimit);
    for (const ScriptSection& section : script.Sections()) {
        for (size_t v = 0; v < section.values.size(); ++v) {
            limits[section.values[v]] = section.layout->limits[v];
        }
    }
    return limits;
}

// A line outside every section, which every reader skips. After a line
// meant as a head, the lines meant as its values are not stray as well:
// *in_meant_section says so until the next empty line.
void LintLooseLine(const ScriptLine& line, bool* in_meant_section, FindingList* out) {
    std::string trimmed = Trimmed(line.text);
    if (trimmed.empty()) {
        *in_meant_section = false;
        return;
    }
    bool bracketed = trimmed.front() == '[' && trimmed.back() == ']';
    if (*in_meant_section && !bracketed) {
        return;
    }
    *in_meant_section = bracketed;
    for (const std::string& head : HeadWords()) {
        if (Loose(line.text) == Loose(head)) {
            out->Error(line.number, Quote(line.text) +
                                        " is not a head: heads match exactly, in letter case "
                                        "and spacing; write " +
                                        head);
            return;
        }
    }
    if (bracketed) {
        std::string meant = NearestWord(trimmed, HeadWords(), 2);
        if (!meant.empty()) {
            out->Error(line.number, "no reader knows " + Quote(line.text) + "; write " + meant);
        } else {
            out->Warning(line.number, "no reader knows " + Quote(line.text) +
                                          ": it and its lines are skipped; remove them");
        }
        return;
    }
    out->Warning(line.number,
                 "this line belongs to no section and is skipped; remove it, or check the "
                 "section above for a missing or extra line");
}

void LintLineEnd(const ScriptLine& line, bool file_has_crlf, FindingList* out) {
    if (line.end == LineEnd::kLfAlone && file_has_crlf) {
        out->Error(line.number,
                   "the line ends in LF alone, so the installer runs it on into the next line; "
                   "end it with CR LF");
    }
    if (line.text.find('\r') != std::string::npos) {
        out->Error(line.number,
                   "a CR inside the line: the installer ends the line there and drops the "
                   "character after it; remove it");
    }
}

// Why the script is UTF-8, for the message about a line that is not.
std::string Utf8Reason(const ScriptText& script) {
    if (script.HasUtf8Signature()) {
        return "UTF-8 (the script begins with the UTF-8 signature)";
    }
    if (script.FirstUtf8Line() != 0) {
        return "UTF-8 (line " + std::to_string(script.FirstUtf8Line()) + " is UTF-8)";
    }
    return "UTF-8 (--utf8 was given)";
}

// In a UTF-8 script every line must be UTF-8: the installer would show other
// bytes as replacement characters, and a name in them would find no file.
void LintEncoding(const ScriptText& script, const ScriptLine& line, FindingList* out) {
    if (!script.IsUtf8() || IsValidUtf8(line.text)) {
        return;
    }
    out->Error(line.number, "the line is not valid UTF-8, but the installer reads this script as " +
                                Utf8Reason(script) + "; save the script in UTF-8");
}

void LintWholeScript(const ScriptText& script, FindingList* out) {
    if (script.FirstSection(script::kInstallContainerHead) != nullptr) {
        return;  // a container installs nothing itself and keeps no record
    }
    const ScriptSection* name = script.FirstSection(script::kProjectNameHead);
    if (name == nullptr) {
        out->Warning(0,
                     "no [Project Name], which means no uninstall record and no entry in "
                     "the list of installed programs; add [Project Name] and a name");
    } else if (!name->values.empty()) {
        const ScriptLine& value = script.Lines()[name->values[0]];
        size_t bad = value.text.find_first_of("\\/:*?\"<>|");
        // ".." alone in a name climbs out of the system folder as surely as
        // a backslash does; the installer refuses such a name.
        size_t dots = value.text.find("..");
        if (bad == std::string::npos && dots != std::string::npos) {
            bad = dots;
        }
        if (Trimmed(value.text).empty()) {
            out->Warning(value.number,
                         "an empty project name means no uninstall record; write "
                         "the name");
        } else if (bad != std::string::npos) {
            out->Error(value.number,
                       "the project name names the uninstall record's file, "
                       "which cannot hold '" +
                           value.text.substr(bad, bad == dots ? 2 : 1) + "'; leave it out");
        }
    }
    if (script.FirstSection(script::kInstallToHead) == nullptr) {
        out->Warning(0,
                     "no [Install To]: the install folder starts empty, and a silent install "
                     "stops at \"Please set a valid install location.\"; add [Install To] "
                     "with a folder such as <Program Files>\\Name");
    }
}

}  // namespace

void LintLines(const ScriptText& script, FindingList* out) {
    const std::vector<ScriptLine>& lines = script.Lines();
    bool has_crlf = script.HasCrLf();
    if (!has_crlf && lines.size() > 1) {
        out->Error(0,
                   "the file has no CR LF line ends at all: the installer finds no heads in "
                   "it and does nothing; save it with Windows (CR LF) line ends, "
                   "for example with sed -i 's/\\r*$/\\r/' FILE");
    }
    std::vector<uint32_t> limits = LineLimits(script);
    bool in_meant_section = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        LintLineEnd(lines[i], has_crlf, out);
        LintEncoding(script, lines[i], out);
        size_t length = script.Length(lines[i].text);
        if (length > limits[i]) {
            out->Error(lines[i].number, "the line is " + std::to_string(length) +
                                            " characters long, but it is read only to " +
                                            std::to_string(limits[i]) +
                                            " and the rest becomes the next line; shorten it");
        }
        if (!script.InSection(i)) {
            LintLooseLine(lines[i], &in_meant_section, out);
        } else {
            in_meant_section = false;
        }
    }
}

std::vector<Finding> LintScript(const ScriptText& script, const std::vector<std::string>& folders) {
    FindingList out;
    LintLines(script, &out);
    for (const ScriptSection& section : script.Sections()) {
        LintSection(script, section, folders, &out);
    }
    LintWholeScript(script, &out);
    LintInstallScope(script, &out);
    std::vector<Finding>& all = out.All();
    std::stable_sort(all.begin(), all.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return all;
}

std::string FormatFinding(const std::string& path, const Finding& finding) {
    std::string where = path + (finding.line > 0 ? ":" + std::to_string(finding.line) : "");
    return where + (finding.severity == Severity::kError ? ": error: " : ": warning: ") +
           finding.text;
}

int CountFindings(const std::vector<Finding>& findings, Severity severity) {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(), [&](const Finding& f) {
        return f.severity == severity;
    }));
}

}  // namespace vornak_pack
