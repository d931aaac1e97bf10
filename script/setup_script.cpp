// The setup script format: line reading, heads, the optional-item prefix,
// [Message] texts and [Registry] numbers.
#include "script/setup_script.h"

#include <cstring>

#include "support/message_box.h"
#include "support/win32_values.h"

namespace script {

SetupScript::SetupScript(const char* path) : file_(path, support::DiskFile::kRead) {
    line_[0] = '\0';
}

bool SetupScript::NextLine() {
    return file_.ReadLine(line_, kLongLineLimit);
}

bool SetupScript::AtHead(const char* head) const {
    return std::strcmp(line_, head) == 0;
}

void SetupScript::ReadValue(char* buffer, uint32_t limit) {
    file_.ReadLine(buffer, limit);
}

int SetupScript::CountHeads(const char* head) {
    int count = 0;
    while (NextLine()) {
        if (AtHead(head)) {
            ++count;
        }
    }
    file_.Seek(0);
    line_[0] = '\0';
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

const SectionLayout kSectionLayouts[] = {
    {kProjectNameHead, 1, {kValueLineLimit}, 0},
    {kInstallToHead, 1, {kValueLineLimit}, ExpandedLine(0)},
    {kLocateInstallHead, 1, {kValueLineLimit}, ExpandedLine(0)},
    {kActionHead, 1, {kValueLineLimit}, 0},
    // InstallFile expands the entry name too, though entry names hold none.
    {kCopyFileHead, 2, {kValueLineLimit, kValueLineLimit}, ExpandedLine(0) | ExpandedLine(1)},
    {kRegistryHead,
     5,
     {kLongLineLimit, kValueLineLimit, kLongLineLimit, kValueLineLimit, kLongLineLimit},
     ExpandedLine(1) | ExpandedLine(4)},
    {kRunFileHead, 3, {kValueLineLimit, kValueLineLimit, kOptionalLineLimit}, ExpandedLine(0)},
    {kRunAndWaitFileHead,
     3,
     {kValueLineLimit, kValueLineLimit, kOptionalLineLimit},
     ExpandedLine(0)},
    {kCreateIconHead,
     4,
     {kValueLineLimit, kValueLineLimit, kValueLineLimit, kOptionalLineLimit},
     ExpandedLine(0) | ExpandedLine(1) | ExpandedLine(2)},
    {kMessageHead, 2, {kLongLineLimit, kValueLineLimit}, 0},
    {kInstallContainerHead, 0, {}, 0},
    {kUninstallActionHead,
     2,
     {kValueLineLimit, kValueLineLimit},
     ExpandedLine(0) | ExpandedLine(1)},
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

void ReadRegistryItem(SetupScript& script, RegistryItem* item) {
    script.ReadValue(item->root, kLongLineLimit);
    script.ReadValue(item->key, kValueLineLimit);
    script.ReadValue(item->type, kLongLineLimit);
    script.ReadValue(item->name, kValueLineLimit);
    script.ReadValue(item->data, kLongLineLimit);
}

}  // namespace script
