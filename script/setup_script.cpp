// The setup script format: line reading, heads, the section layouts and
// reading a section by its layout, the optional-item prefix, [Message]
// texts and [Registry] numbers.
#include "script/setup_script.h"

#include <cstring>

#include "support/message_box.h"
#include "support/program_text.h"
#include "support/text.h"
#include "support/win32_values.h"

namespace script {

SetupScript::SetupScript(const char* path)
    : file_(path, support::DiskFile::kRead), utf8_(file_.SkipUtf8Signature()) {
    line_[0] = '\0';
}

void SetupScript::Rewind() {
    file_.SkipUtf8Signature();
    line_[0] = '\0';
}

bool SetupScript::ReadText(char* buffer, uint32_t limit) {
    bool program_text_is_utf8 = support::ProgramTextIsUtf8();
    if (utf8_ == program_text_is_utf8) {
        return utf8_ ? file_.ReadUtf8Line(buffer, limit, LineCapacity(limit))
                     : file_.ReadLine(buffer, limit);
    }
    bool read = utf8_ ? file_.ReadUtf8Line(stored_, limit, LineCapacity(limit))
                      : file_.ReadLine(stored_, limit);
    // A UTF-8 character that program text cannot hold (on a Windows older
    // than the manifest's UTF-8 setting) leaves the line empty rather than
    // naming something else.
    support::ToProgramText(stored_, utf8_, buffer, LineCapacity(limit));
    return read;
}

bool SetupScript::NextLine() {
    return ReadText(line_, kLongLineLimit);
}

bool SetupScript::AtHead(const char* head) const {
    return std::strcmp(line_, head) == 0;
}

bool SetupScript::ReadSectionAt(const char* head, SectionValues* values, OptionalLine optional) {
    if (!AtHead(head)) {
        return false;
    }
    ReadSection(*FindSectionLayout(head), values, optional);
    return true;
}

void SetupScript::ReadSection(const SectionLayout& layout, SectionValues* values,
                              OptionalLine optional) {
    values->layout = &layout;
    values->count = layout.value_count;
    if (layout.optional_line && optional == OptionalLine::kLeftAsLine) {
        --values->count;
    }
    for (int index = 0; index < values->count; ++index) {
        ReadValue(values->lines[index], layout.limits[index]);
    }
}

const char* SectionValues::OptionalCaption() const {
    if (layout == nullptr || !layout->optional_line || count < layout->value_count) {
        return nullptr;
    }
    return script::OptionalCaption(lines[count - 1]);
}

bool SetupScript::ReadValue(char* buffer, uint32_t limit) {
    return ReadText(buffer, limit);
}

int SetupScript::CountHeads(const char* head) {
    int count = 0;
    while (NextLine()) {
        if (AtHead(head)) {
            ++count;
        }
    }
    Rewind();
    return count;
}

bool ScriptHasHead(const char* path, const char* head) {
    SetupScript script(path);
    while (script.NextLine()) {
        if (script.AtHead(head)) {
            return true;
        }
    }
    return false;
}

void ReadLastSectionValue(const char* path, const char* head, char* value, size_t capacity) {
    support::CopyText(value, capacity, "");
    SetupScript script(path);
    SectionValues values;
    while (script.NextLine()) {
        if (script.ReadSectionAt(head, &values)) {
            support::CopyText(value, capacity, values.Line(0));
        }
    }
}

void ReadProjectName(const char* path, char* name, size_t capacity) {
    ReadLastSectionValue(path, kProjectNameHead, name, capacity);
}

const SectionLayout kSectionLayouts[] = {
    {kProjectNameHead, 1, {kValueLineLimit}, 0, false},
    {kInstallToHead, 1, {kValueLineLimit}, ExpandedLine(0), false},
    {kLocateInstallHead, 1, {kValueLineLimit}, ExpandedLine(0), false},
    {kActionHead, 1, {kValueLineLimit}, 0, false},
    // InstallFile expands the entry name too, though entry names hold none.
    {kCopyFileHead,
     2,
     {kValueLineLimit, kValueLineLimit},
     ExpandedLine(0) | ExpandedLine(1),
     false},
    {kRegistryHead,
     5,
     {kLongLineLimit, kValueLineLimit, kLongLineLimit, kValueLineLimit, kLongLineLimit},
     ExpandedLine(1) | ExpandedLine(4),
     false},
    {kRunFileHead,
     3,
     {kValueLineLimit, kValueLineLimit, kOptionalLineLimit},
     ExpandedLine(0),
     true},
    {kRunAndWaitFileHead,
     3,
     {kValueLineLimit, kValueLineLimit, kOptionalLineLimit},
     ExpandedLine(0),
     true},
    {kCreateIconHead,
     4,
     {kValueLineLimit, kValueLineLimit, kValueLineLimit, kOptionalLineLimit},
     ExpandedLine(0) | ExpandedLine(1) | ExpandedLine(2),
     true},
    {kMessageHead, 2, {kLongLineLimit, kValueLineLimit}, 0, false},
    {kInstallContainerHead, 0, {}, 0, false},
    {kInstallScopeHead, 1, {kValueLineLimit}, 0, false},
    {kUninstallActionHead,
     2,
     {kValueLineLimit, kValueLineLimit},
     ExpandedLine(0) | ExpandedLine(1),
     false},
};
const int kSectionLayoutCount = sizeof kSectionLayouts / sizeof kSectionLayouts[0];

const SectionLayout* FindSectionLayout(const char* line) {
    for (const SectionLayout& layout : kSectionLayouts) {
        if (std::strcmp(line, layout.head) == 0) {
            return &layout;
        }
    }
    return nullptr;
}

const char* const kRegistryRootWords[kRegistryRootCount] = {"HKCR", "HKCU", "HKLM", "HKU", "HKCC"};

const MessageKind kMessageKinds[kMessageKindCount] = {
    {"Error", support::kMbIconError},
    {"Question", support::kMbIconQuestion},
    {"Warning", support::kMbIconWarning},
    {"Information", support::kMbIconInformation},
};

const char* OptionalCaption(const char* line) {
    const size_t length = sizeof kOptionalPrefix - 1;
    return std::strncmp(line, kOptionalPrefix, length) == 0 ? line + length : nullptr;
}

void UnescapeMessageText(char* text) {
    for (char* at = text; *at != '\0'; ++at) {
        if (at[0] == '\\' && at[1] == 'n') {
            at[0] = '\r';
            at[1] = '\n';
        }
    }
}

unsigned MessageIconFlag(const char* kind) {
    for (const MessageKind& kind_row : kMessageKinds) {
        if (std::strcmp(kind, kind_row.word) == 0) {
            return kind_row.flag;
        }
    }
    return 0;
}

void ShowScriptMessage(char* text, const char* kind) {
    UnescapeMessageText(text);
    support::ShowMessage(text, "Installer",
                         support::kMbOk | MessageIconFlag(kind) | support::kMbTopmost);
}

uint32_t RegistryNumber(const char* data) {
    const int64_t kLargest = 2147483647;
    const int64_t kSmallest = -2147483647 - 1;
    while (*data == ' ' || (*data >= '\t' && *data <= '\r')) {
        ++data;
    }
    bool negative = *data == '-';
    if (*data == '-' || *data == '+') {
        ++data;
    }
    // Saturating just past the range keeps any run of digits from overflowing.
    int64_t magnitude = 0;
    for (; *data >= '0' && *data <= '9'; ++data) {
        magnitude = magnitude * 10 + (*data - '0');
        if (magnitude > kLargest + 1) {
            magnitude = kLargest + 1;
        }
    }
    int64_t value = negative ? -magnitude : magnitude;
    if (value > kLargest) {
        value = kLargest;
    } else if (value < kSmallest) {
        value = kSmallest;
    }
    return static_cast<uint32_t>(static_cast<int32_t>(value));
}

void RegistryItemFrom(const SectionValues& values, RegistryItem* item) {
    support::CopyText(item->root, values.Line(0));
    support::CopyText(item->key, values.Line(1));
    support::CopyText(item->type, values.Line(2));
    support::CopyText(item->name, values.Line(3));
    support::CopyText(item->data, values.Line(4));
}

void ReadRegistryItem(SetupScript& script, RegistryItem* item) {
    SectionValues values;
    script.ReadSection(*FindSectionLayout(kRegistryHead), &values);
    RegistryItemFrom(values, item);
}

}  // namespace script
