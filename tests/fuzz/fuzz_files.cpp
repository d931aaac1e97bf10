#include "tests/fuzz/fuzz_files.h"

#include "support/disk_file.h"
#include "support/message_box.h"
#include "support/temp_path.h"
#include "support/win32_values.h"

namespace fuzzing {

const std::string& ScratchFolder() {
    static support::TempFolder* folder = new support::TempFolder("Fuz");
    static const std::string path = folder->Path();
    return path;
}

std::string WriteInput(const char* name, const uint8_t* data, size_t size) {
    std::string path = ScratchFolder() + name;
    support::DiskFile file(path.c_str(),
                           support::DiskFile::kWrite | support::DiskFile::kCreateEmpty);
    file.Write(data, static_cast<uint32_t>(size));
    return path;
}

static int Quiet(const char*, const char*, unsigned) {
    return support::kIdCancel;
}

void SilenceMessages() {
    support::SetMessagePresenter(&Quiet);
}

}  // namespace fuzzing
