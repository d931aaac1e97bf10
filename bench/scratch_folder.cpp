// Scratch folders for the native benchmarks.
#include "support/win32_values.h"
#include "bench/scratch_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "support/file_system.h"
#include "support/folders.h"
#include "packer/common/host_path.h"

namespace bench {

bool MakeScratchFolder(const char* benchmark, std::string* folder) {
    const char* tmp = std::getenv("TMPDIR");
    *folder = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/" + benchmark + "." +
              std::to_string(getpid());
    if (mkdir(folder->c_str(), 0700) != 0) {
        std::fprintf(stderr, "%s: cannot create %s\n", benchmark, folder->c_str());
        return false;
    }
    return true;
}

void RemoveScratchFolder(const std::string& folder) {
    char core_folder[support::kMaxPath];
    if (vornak_pack::ToCorePath(folder, core_folder)) {
        support::DeleteFolderContents(core_folder);
        support::fs::RemoveFolder(core_folder);
    }
}

}  // namespace bench
