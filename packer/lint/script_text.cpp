// Splitting a setup script into its author's lines and its sections.
#include "packer/lint/script_text.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "packer/common/utf8_text.h"
#include "support/program_text.h"

namespace vornak_pack {

bool ScriptText::Load(const std::string& path, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream bytes;
    bytes << file.rdbuf();
    if (file.bad()) {
        *error = "cannot read " + path;
        return false;
    }
    Parse(bytes.str());
    return true;
}

void ScriptText::Parse(const std::string& bytes) {
    lines_.clear();
    has_signature_ = BeginsWithUtf8Signature(bytes);
    first_utf8_line_ = 0;
    size_t start = has_signature_ ? std::strlen(support::kUtf8Signature) : 0;
    while (start < bytes.size()) {
        size_t lf = bytes.find('\n', start);
        size_t stop = lf == std::string::npos ? bytes.size() : lf;
        bool crlf = lf != std::string::npos && stop > start && bytes[stop - 1] == '\r';
        ScriptLine line;
        line.number = static_cast<int>(lines_.size()) + 1;
        line.text = bytes.substr(start, stop - start - (crlf ? 1 : 0));
        line.end =
            lf == std::string::npos ? LineEnd::kNone : (crlf ? LineEnd::kCrLf : LineEnd::kLfAlone);
        // A last line ending in CR alone is a complete line to the installer.
        if (line.end == LineEnd::kNone && !line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.end = LineEnd::kCrLf;
        }
        if (first_utf8_line_ == 0 && IsUtf8NotAscii(line.text)) {
            first_utf8_line_ = line.number;
        }
        lines_.push_back(line);
        start = stop + 1;
    }
    FindSections();
}

// As the install worker reads: a head is followed by its value lines, read
// whatever they hold; every other line is tested as a head.
void ScriptText::FindSections() {
    sections_.clear();
    in_section_.assign(lines_.size(), false);
    size_t i = 0;
    while (i < lines_.size()) {
        const script::SectionLayout* layout = script::FindSectionLayout(lines_[i].text.c_str());
        if (layout == nullptr) {
            ++i;
            continue;
        }
        ScriptSection section{layout, i, {}};
        in_section_[i] = true;
        for (int v = 0; v < layout->value_count && i + 1 + v < lines_.size(); ++v) {
            section.values.push_back(i + 1 + v);
            in_section_[i + 1 + v] = true;
        }
        i += 1 + section.values.size();
        sections_.push_back(section);
    }
}

bool ScriptText::HasCrLf() const {
    for (const ScriptLine& line : lines_) {
        if (line.end == LineEnd::kCrLf) {
            return true;
        }
    }
    return false;
}

size_t ScriptText::Length(const std::string& text) const {
    return IsUtf8() ? ScriptCharacters(text) : text.size();
}

const ScriptSection* ScriptText::FirstSection(const char* head) const {
    for (const ScriptSection& section : sections_) {
        if (std::strcmp(section.layout->head, head) == 0) {
            return &section;
        }
    }
    return nullptr;
}

}  // namespace vornak_pack
