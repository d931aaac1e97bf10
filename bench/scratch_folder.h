// A scratch folder for one benchmark run: made under $TMPDIR (or /tmp),
// handed to the benchmark, and removed with everything in it afterwards.
#pragma once

#include <string>

namespace bench {

// Makes "<tmp>/<benchmark>.<pid>"; says why on stderr when it cannot.
bool MakeScratchFolder(const char* benchmark, std::string* folder);
void RemoveScratchFolder(const std::string& folder);

// Runs body(folder) in a new scratch folder and returns its result; 1 when
// no folder could be made.
template <typename Body>
int RunInScratchFolder(const char* benchmark, Body body) {
    std::string folder;
    if (!MakeScratchFolder(benchmark, &folder)) {
        return 1;
    }
    int result = body(folder);
    RemoveScratchFolder(folder);
    return result;
}

}  // namespace bench
