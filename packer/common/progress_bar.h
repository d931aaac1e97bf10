// A one-line progress bar on stderr for build and extract.
//
// It is drawn only when stderr is a terminal, so pipelines and logs get
// plain output; the line is cleared again when the work ends.
#pragma once

#include <cstdint>
#include <string>

namespace vornak_pack {

class ProgressBar {
  public:
    // verb names the work ("building", "extracting"); total is the number of
    // bytes it will advance by, and may be given later.
    explicit ProgressBar(const char* verb, uint64_t total = 0);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void SetTotal(uint64_t total) { total_ = total; }
    void Advance(uint64_t amount, const std::string& name);

    // The line drawn after done of total bytes, without the leading CR.
    static std::string Line(const char* verb, uint64_t done, uint64_t total,
                            const std::string& name);

  private:
    const char* verb_;
    uint64_t total_;
    uint64_t done_ = 0;
    bool shown_;
};

}  // namespace vornak_pack
