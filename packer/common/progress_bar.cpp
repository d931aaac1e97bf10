// The terminal progress bar.
#include "packer/common/progress_bar.h"

#include <unistd.h>

#include <cstdio>

#include "packer/common/printable_text.h"

namespace vornak_pack {

namespace {

constexpr int kBarWidth = 30;
constexpr size_t kNameWidth = 32;

}  // namespace

ProgressBar::ProgressBar(const char* verb, uint64_t total)
    : verb_(verb), total_(total), shown_(isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
    if (shown_) {
        // Erase the bar: what stays on the terminal is the command's own output.
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
}

void ProgressBar::Advance(uint64_t amount, const std::string& name) {
    done_ += amount;
    if (shown_) {
        std::fprintf(stderr, "\r\033[K%s", Line(verb_, done_, total_, name).c_str());
        std::fflush(stderr);
    }
}

std::string ProgressBar::Line(const char* verb, uint64_t done, uint64_t total,
                              const std::string& name) {
    // An empty total (only empty files) is complete from the start.
    uint64_t percent = total == 0 ? 100 : (done >= total ? 100 : done * 100 / total);
    int filled = static_cast<int>(percent * kBarWidth / 100);
    std::string line = std::string(verb) + " [" + std::string(filled, '#') +
                       std::string(kBarWidth - filled, '-') + "] ";
    char figure[8];
    std::snprintf(figure, sizeof figure, "%3u%% ", static_cast<unsigned>(percent));
    std::string printable = Printable(name);
    std::string shown = printable.size() > kNameWidth
                            ? "..." + printable.substr(printable.size() - kNameWidth + 3)
                            : printable;
    return line + figure + shown;
}

}  // namespace vornak_pack
