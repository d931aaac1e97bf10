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
//
// A script that begins with the UTF-8 signature is UTF-8 to the installer,
// which counts its line limits in characters; the signature is not part of
// the first line. A script without one is still UTF-8 to vornak-pack when
// one of its lines is (bytes above 0x7F, all valid UTF-8) or the author asks
// for it: the packed copy then gains the signature.
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

    // Whether the file begins with the UTF-8 signature.
    bool HasUtf8Signature() const { return has_signature_; }
    // The number of the first line that is UTF-8 and not plain ASCII; 0 for
    // none.
    int FirstUtf8Line() const { return first_utf8_line_; }
    // Reads the script as UTF-8 whatever it holds (build --utf8).
    void TakeAsUtf8() { taken_as_utf8_ = true; }
    // Whether the package the script goes into is UTF-8: signature, a UTF-8
    // line or TakeAsUtf8.
    bool IsUtf8() const { return has_signature_ || first_utf8_line_ != 0 || taken_as_utf8_; }
    // The length of text as the installer counts it against a line's limit:
    // characters in a UTF-8 script, bytes in any other.
    size_t Length(const std::string& text) const;

  private:
    void FindSections();

    std::vector<ScriptLine> lines_;
    std::vector<ScriptSection> sections_;
    std::vector<bool> in_section_;
    bool has_signature_ = false;
    int first_utf8_line_ = 0;
    bool taken_as_utf8_ = false;
};

}  // namespace vornak_pack
