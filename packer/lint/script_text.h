// A setup script as its author wrote it: the lines an editor shows, each
// with its number and how it ends, and the sections the installer finds in
// them.
//
// The installer ends a line only at CR, so a line ending in LF alone runs on
// into the next one there. The author's lines are split at LF instead, so
// that such a mistake is reported once, at its line, and the rest of the
// script is still checked as it was meant. Which lines are heads and how
// many value lines follow each comes from the shared format
// (script/setup_script.h).
#pragma once

#include <string>
#include <vector>

#include "script/setup_script.h"

namespace vornak_pack {

enum class LineEnd {
    kCrLf,
    kLfAlone,
    kNone,  // the last line, which may end without CR LF
};

struct ScriptLine {
    int number;  // from 1
    std::string text;
    LineEnd end;
};

struct ScriptSection {
    const script::SectionLayout* layout;
    size_t head;                 // index of the head in the lines
    std::vector<size_t> values;  // indexes of the value lines that exist
};

class ScriptText {
  public:
    // Reads the file at path (a Linux path). False with the reason in error.
    bool Load(const std::string& path, std::string* error);
    // Splits bytes into lines and finds the sections.
    void Parse(const std::string& bytes);

    const std::vector<ScriptLine>& Lines() const { return lines_; }
    const std::vector<ScriptSection>& Sections() const { return sections_; }
    // Whether line index is the head or a value line of a section.
    bool InSection(size_t index) const { return in_section_[index]; }
    // Whether any line ends in CR LF.
    bool HasCrLf() const;
    // The first section with this head, or null.
    const ScriptSection* FirstSection(const char* head) const;

  private:
    void FindSections();

    std::vector<ScriptLine> lines_;
    std::vector<ScriptSection> sections_;
    std::vector<bool> in_section_;
};

}  // namespace vornak_pack
