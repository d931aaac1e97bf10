// Tool messages and the console presenter.
#include "packer/common/tool_messages.h"

#include <cstdio>
#include <cstring>

#include "support/message_box.h"
#include "support/win32_values.h"
#include "packer/common/printable_text.h"

namespace vornak_pack {

namespace {

int PresentOnConsole(const char* text, const char* caption, unsigned flags) {
    std::fprintf(stderr, "%s\n", ConsoleLine(text, caption, flags).c_str());
    // The core asks no questions of the packer; were it to, the answer that
    // changes nothing is the safe one.
    switch (flags & 0xF) {
        case support::kMbRetryCancel:
            return support::kIdCancel;
        case support::kMbYesNo:
            return support::kIdNo;
        default:
            return support::kIdOk;
    }
}

}  // namespace

void ReportError(const std::string& text) {
    support::ShowMessage(text.c_str(), kToolCaption, support::kMbIconError);
}

void ReportWarning(const std::string& text) {
    support::ShowMessage(text.c_str(), kToolCaption, support::kMbIconWarning);
}

void UseConsolePresenter() {
    support::SetMessagePresenter(&PresentOnConsole);
}

std::string ConsoleLine(const char* text, const char* caption, unsigned flags) {
    std::string line = "vornak-pack: ";
    if (std::strcmp(caption, kToolCaption) == 0) {
        line += (flags & 0xF0) == support::kMbIconWarning ? "warning: " : "error: ";
        return line + Printable(text);
    }
    // A core message names files by the core's backslash paths, which were
    // Linux paths before the tool handed them over.
    std::string converted(text);
    for (char& c : converted) {
        if (c == '\\') {
            c = '/';
        }
    }
    return line + Printable(caption) + ": " + Printable(converted);
}

}  // namespace vornak_pack
