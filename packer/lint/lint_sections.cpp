// The linter's rules on the value lines of each section.
#include <cctype>
#include <cstring>

#include "script/folder_placeholders.h"
#include "support/program_text.h"
#include "support/win32_values.h"
#include "packer/lint/lint_rules.h"
#include "packer/common/pack_input.h"
#include "packer/lint/project_files.h"
#include "packer/lint/word_match.h"

namespace vornak_pack {

namespace {

constexpr char kTempInstall[] = "<TempInstall>";
// Captions, the project name and the proposed folder are kept in path-sized
// text by the installer, which cuts anything longer without a word.
// The installer keeps these texts in path buffers, as program text (UTF-8).
constexpr size_t kLongestKept = support::kMaxPath - 1;

bool Is(const ScriptSection& section, const char* head) {
    return std::strcmp(section.layout->head, head) == 0;
}

bool IsRun(const ScriptSection& section) {
    return Is(section, script::kRunFileHead) || Is(section, script::kRunAndWaitFileHead);
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

bool EndsWithIgnoringCase(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && Lower(text.substr(text.size() - tail.size())) == tail;
}

// The caption an author meant by a line such as "optional - X" or
// "Optional: X".
std::string MeantCaption(const std::string& trimmed) {
    size_t at = std::strlen("optional");
    while (at < trimmed.size() && std::strchr(" \t-:", trimmed[at]) != nullptr) {
        ++at;
    }
    return trimmed.substr(at);
}

// How many bytes text takes once the installer has read it: UTF-8 as it
// stands, or converted into UTF-8 from the code page of a script without
// the signature (an accented letter then takes two bytes, some signs three).
size_t KeptBytes(const ScriptText& script, const std::string& text) {
    if (script.IsUtf8()) {
        return text.size();
    }
    std::string converted(support::ProgramTextCapacity(text.size()), '\0');
    support::ToProgramText(text.c_str(), false, &converted[0], converted.size());
    return std::strlen(converted.c_str());
}

std::string KeptLengthText(size_t bytes) {
    return std::to_string(bytes) + " bytes once read; the installer keeps at most " +
           std::to_string(kLongestKept);
}

void LintOptionalLine(const ScriptText& script, const std::string& text, int line, uint32_t limit,
                      FindingList* out) {
    const char* caption = script::OptionalCaption(text.c_str());
    if (caption != nullptr) {
        if (Trimmed(caption).empty()) {
            out->Warning(line,
                         "the optional item has no caption, so its row on the finish "
                         "page is empty; write one after \"Optional - \"");
        } else if (KeptBytes(script, caption) > kLongestKept && script.Length(text) <= limit) {
            out->Error(line, "the caption takes " + KeptLengthText(KeptBytes(script, caption)) +
                                 "; shorten it");
        }
        return;
    }
    std::string trimmed = Trimmed(text);
    if (Lower(trimmed).compare(0, 8, "optional") == 0) {
        out->Error(line, Quote(text) +
                             " does not mark an optional item, so it is carried out at once; "
                             "write \"Optional - " +
                             MeantCaption(trimmed) + "\"");
    } else if (!trimmed.empty()) {
        out->Warning(line,
                     "the optional line holds text without \"Optional - \": the item is "
                     "carried out at once and the text ignored; empty the line or start "
                     "it with \"Optional - \"");
    }
}

// A [Project Name] or [Install To] value that fits its line but not the
// text the installer keeps it in.
void LintKeptLength(const ScriptText& script, const ScriptSection& section, FindingList* out) {
    const char* what = Is(section, script::kProjectNameHead) ? "project name"
                       : Is(section, script::kInstallToHead) ? "install folder"
                                                             : nullptr;
    if (what == nullptr || section.values.empty()) {
        return;
    }
    const ScriptLine& value = script.Lines()[section.values[0]];
    if (KeptBytes(script, value.text) > kLongestKept &&
        script.Length(value.text) <= section.layout->limits[0]) {
        out->Error(value.number, std::string("the ") + what + " takes " +
                                     KeptLengthText(KeptBytes(script, value.text)) +
                                     "; shorten it");
    }
}

void LintMessage(const ScriptText& script, const ScriptSection& section, FindingList* out) {
    if (section.values.size() < 2) {
        return;
    }
    const ScriptLine& text = script.Lines()[section.values[0]];
    const ScriptLine& kind = script.Lines()[section.values[1]];
    std::vector<std::string> words;
    bool known = false;
    for (const script::MessageKind& message_kind : script::kMessageKinds) {
        words.push_back(message_kind.word);
        known = known || kind.text == message_kind.word;
    }
    if (!known) {
        std::string meant = NearestWord(Trimmed(kind.text), words, 3);
        out->Warning(kind.number,
                     Quote(kind.text) +
                         " is no message kind, so the box has no "
                         "icon; write " +
                         (meant.empty() ? "Error, Question, Warning or Information" : meant));
    }
    if (text.text.find('?') != std::string::npos || kind.text == "Question") {
        out->Warning(text.number,
                     "the message asks a question, but its box has OK only and a silent "
                     "install skips it; tell instead, and offer a choice as an optional item");
    }
}

void LintShortcut(const ScriptText& script, const ScriptSection& section, FindingList* out) {
    if (section.values.size() < 2) {
        return;
    }
    const ScriptLine& link = script.Lines()[section.values[1]];
    if (!EndsWithIgnoringCase(link.text, ".lnk")) {
        out->Warning(link.number, "the shortcut file " + Quote(link.text) +
                                      " does not end in .lnk, so Windows does not treat it as a "
                                      "shortcut; add .lnk");
    }
}

// A [CopyFile] entry name or a "<TempInstall>" entry.
void LintEntry(const std::string& name, int line, const char* how,
               const std::vector<std::string>& folders, FindingList* out) {
    std::string problem = EntryNameProblem(name);
    if (!problem.empty()) {
        out->Error(line, problem +
                             ": entries are plain file names; write the file's name "
                             "alone and keep the file in a project folder");
    } else if (!folders.empty() && FindInFolders(folders, name).empty()) {
        out->Error(line, "no file " + Quote(name) + " for this " + how + " in " +
                             FolderList(folders) + "; add the file or correct the name");
    }
}

void LintEntries(const ScriptText& script, const ScriptSection& section,
                 const std::vector<std::string>& folders, FindingList* out) {
    if (section.values.empty()) {
        return;
    }
    const ScriptLine& first = script.Lines()[section.values[0]];
    if (Is(section, script::kCopyFileHead)) {
        LintEntry(first.text, first.number, "[CopyFile]", folders, out);
    } else if (const char* entry = IsRun(section) ? TempInstallEntry(first.text) : nullptr) {
        LintEntry(entry, first.number, kTempInstall, folders, out);
    }
}

// A [CopyFile] target in the system folder or in Common Files: other
// products' files live there, so the version rule and the shared counts
// decide what stays, and the file may outlive the uninstall.
void LintSharedPlace(const ScriptText& script, const ScriptSection& section, FindingList* out) {
    if (!Is(section, script::kCopyFileHead) || section.values.size() < 2) {
        return;
    }
    const ScriptLine& target = script.Lines()[section.values[1]];
    std::string lower = Lower(target.text);
    const char* place = nullptr;
    if (lower.compare(0, std::strlen("<system>"), "<system>") == 0) {
        place = "the system folder";
    } else if (lower.compare(0, std::strlen("<program files>\\common files"),
                             "<program files>\\common files") == 0) {
        place = "Common Files";
    }
    if (place != nullptr) {
        out->Warning(target.number,
                     Quote(target.text) + " goes into " + place +
                         ", a place shared with other products: a newer copy there is kept, and "
                         "the uninstall leaves the file while anything else counts on it; "
                         "install into <Destination> unless other programs need it there");
    }
}

bool IsExpanded(const ScriptText& script, const ScriptSection& section, size_t v) {
    if ((section.layout->expanded & script::ExpandedLine(static_cast<int>(v))) == 0) {
        return false;
    }
    // A [Registry] number is converted as written.
    return !(Is(section, script::kRegistryHead) && v == 4 &&
             script.Lines()[section.values[2]].text == script::kDwordTypeWord);
}

std::vector<std::string> TokenWords() {
    std::vector<std::string> words(script::kPlaceholderTokens,
                                   script::kPlaceholderTokens + script::kPlaceholderCount);
    words.push_back(kTempInstall);
    return words;
}

void LintToken(const std::string& token, size_t at, int line, bool expanded,
               bool temp_install_allowed, FindingList* out) {
    if (token == kTempInstall) {
        if (!temp_install_allowed) {
            out->Error(line,
                       "<TempInstall> works only in the program line of [RunFile] and "
                       "[RunAndWaitFile]; there it stays as written");
        } else if (at != 0) {
            out->Error(line,
                       "<TempInstall> is always taken to start the line; write "
                       "<TempInstall>\\NAME");
        }
        return;
    }
    std::vector<std::string> words = TokenWords();
    for (size_t i = 0; i < static_cast<size_t>(script::kPlaceholderCount); ++i) {
        if (token == words[i]) {
            if (!expanded) {
                out->Warning(line, token + " is not replaced in this line; it stays as written");
            }
            return;
        }
    }
    if (expanded) {
        std::string meant = NearestWord(token, words, 3);
        out->Error(line, "unknown token " + token + ", which stays as written; " +
                             (meant.empty() ? "use a folder placeholder such as <Destination>"
                                            : "write " + meant));
    }
}

}  // namespace

void LintTokens(const std::string& text, int line, bool expanded, bool temp_install_allowed,
                FindingList* out) {
    for (size_t open = text.find('<'); open != std::string::npos; open = text.find('<', open + 1)) {
        size_t close = text.find_first_of("<>", open + 1);
        if (close == std::string::npos || text[close] != '>') {
            continue;
        }
        LintToken(text.substr(open, close - open + 1), open, line, expanded, temp_install_allowed,
                  out);
    }
}

void LintSection(const ScriptText& script, const ScriptSection& section,
                 const std::vector<std::string>& folders, FindingList* out) {
    const ScriptLine& head = script.Lines()[section.head];
    if (static_cast<int>(section.values.size()) < section.layout->value_count) {
        out->Error(head.number, std::string("the script ends before the ") +
                                    std::to_string(section.layout->value_count) +
                                    " value lines of " + section.layout->head + "; add them");
    }
    for (size_t v = 0; v < section.values.size(); ++v) {
        const ScriptLine& value = script.Lines()[section.values[v]];
        if (const script::SectionLayout* other = script::FindSectionLayout(value.text.c_str())) {
            out->Error(value.number, std::string("this value is the head ") + other->head +
                                         ": a reader that skips " + section.layout->head +
                                         " takes it as a head; change the value");
        }
        LintTokens(value.text, value.number, IsExpanded(script, section, v),
                   IsRun(section) && v == 0, out);
    }
    if (section.layout->optional_line &&
        static_cast<int>(section.values.size()) == section.layout->value_count) {
        const ScriptLine& optional = script.Lines()[section.values.back()];
        LintOptionalLine(script, optional.text, optional.number,
                         section.layout->limits[section.layout->value_count - 1], out);
    }
    if (Is(section, script::kRegistryHead)) {
        LintRegistry(script, section, out);
    } else if (Is(section, script::kMessageHead)) {
        LintMessage(script, section, out);
    } else if (Is(section, script::kCreateIconHead)) {
        LintShortcut(script, section, out);
    }
    LintKeptLength(script, section, out);
    LintEntries(script, section, folders, out);
    LintSharedPlace(script, section, out);
}

}  // namespace vornak_pack
