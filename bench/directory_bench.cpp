// Directory benchmark: how the time to load and list a package grows with
// its number of entries. A package of many tiny entries is written once, then
// opened (the installer's own directory reader), listed (vornak-pack list)
// and planned for (the install's look-ahead, from a script that copies every
// entry), and the same for a package of a tenth as many entries in the same
// run. The ratio of the time per entry says how the cost grows: 1 is
// linear, while a quadratic reader would show about 10.
//
//   directory_bench [--entries N] [--repeat N]
//
// No assertion on time: it prints, and fails only when a package does not
// read back with all its entries.
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "support/win32_values.h"
#include "archive/package_archive.h"
#include "bench/scratch_folder.h"
#include "script/install_look_ahead.h"
#include "support/file_system.h"
#include "support/folders.h"
#include "packer/common/host_path.h"
#include "packer/examine/package_contents.h"
#include "packer/common/tool_messages.h"

namespace {

struct Settings {
    int entries = 200000;
    int repeat = 3;
};

bool ParseSettings(int argc, char** argv, Settings* settings) {
    for (int i = 1; i + 1 < argc; i += 2) {
        int value = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--entries") == 0 && value >= 10) {
            settings->entries = value;
        } else if (std::strcmp(argv[i], "--repeat") == 0 && value >= 1) {
            settings->repeat = value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1;
}

std::string EntryName(int i) {
    return "entry" + std::to_string(i) + ".txt";
}

// A setup script beside the package that copies each of its count entries.
bool WriteCopyScript(const std::string& path, int count) {
    std::FILE* script = std::fopen(path.c_str(), "wb");
    if (script == nullptr) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        std::fprintf(script, "[CopyFile]\r\n%s\r\nC:\\App\\%s\r\n", EntryName(i).c_str(),
                     EntryName(i).c_str());
    }
    return std::fclose(script) == 0;
}

// A package of count entries, each the 14-byte stream of an empty file, and
// the script that copies them (path + ".dat").
bool WritePackage(const std::string& path, int count) {
    char core[support::kMaxPath];
    if (!vornak_pack::ToCorePath(path, core)) {
        return false;
    }
    static const uint8_t kEmptyStream[] = {'B',  'Z',  'h',  '9', 0x17, 0x72, 0x45,
                                           0x38, 0x50, 0x90, 0,   0,    0,    0};
    archive::PackageArchive package(core, true);
    for (int i = 0; i < count; ++i) {
        if (!package.AppendEntryData(EntryName(i).c_str(), kEmptyStream, sizeof kEmptyStream, 0)) {
            return false;
        }
    }
    return package.Close() && WriteCopyScript(path + ".dat", count);
}

double BestSeconds(int repeat, const std::function<bool()>& run, bool* ok) {
    double best = 0;
    for (int i = 0; i < repeat; ++i) {
        auto start = std::chrono::steady_clock::now();
        *ok = run() && *ok;
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = i == 0 || took.count() < best ? took.count() : best;
    }
    return best;
}

struct Timings {
    double load = 0;
    double list = 0;
    double plan = 0;
};

Timings Measure(const Settings& settings, const std::string& path, int count, bool* ok) {
    char core[support::kMaxPath];
    vornak_pack::ToCorePath(path, core);
    std::FILE* quiet = std::fopen("/dev/null", "w");
    Timings timings;
    timings.load = BestSeconds(
        settings.repeat, [&] { return archive::PackageArchive(core, false).EntryCount() == count; },
        ok);
    timings.list = BestSeconds(
        settings.repeat, [&] { return vornak_pack::ListPackage(path, quiet); }, ok);
    char script[support::kMaxPath];
    vornak_pack::ToCorePath(path + ".dat", script);
    archive::PackageArchive package(core, false);
    std::atomic<bool> stop{false};
    timings.plan = BestSeconds(
        settings.repeat,
        [&] {
            script::InstallLookAhead plan(script, &package, stop);
            return true;
        },
        ok);
    std::fclose(quiet);
    return timings;
}

void PrintLine(const char* what, int count, double seconds, double reference, int reference_count) {
    double per_entry = seconds / count;
    double reference_per_entry = reference / reference_count;
    std::printf("  %-6s %7d entries %8.3f s   %6.2f us/entry   x%.2f the time per entry of %d\n",
                what, count, seconds, per_entry * 1e6,
                reference_per_entry > 0 ? per_entry / reference_per_entry : 0, reference_count);
}

int Run(const Settings& settings, const std::string& folder) {
    int small = settings.entries / 10;
    std::string large_path = folder + "/large.exe";
    std::string small_path = folder + "/small.exe";
    if (!WritePackage(large_path, settings.entries) || !WritePackage(small_path, small)) {
        std::fprintf(stderr, "directory_bench: cannot write the packages in %s\n", folder.c_str());
        return 1;
    }
    bool ok = true;
    Timings reference = Measure(settings, small_path, small, &ok);
    Timings large = Measure(settings, large_path, settings.entries, &ok);
    std::printf("directory_bench: best of %d\n", settings.repeat);
    PrintLine("load", settings.entries, large.load, reference.load, small);
    PrintLine("list", settings.entries, large.list, reference.list, small);
    PrintLine("plan", settings.entries, large.plan, reference.plan, small);
    std::printf("directory_bench: %s\n", ok ? "every entry read back" : "FAILED");
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    vornak_pack::UseConsolePresenter();
    Settings settings;
    if (!ParseSettings(argc, argv, &settings)) {
        std::fprintf(stderr, "usage: directory_bench [--entries N] [--repeat N]\n");
        return 2;
    }
    return bench::RunInScratchFolder("directory_bench", [&settings](const std::string& folder) {
        return Run(settings, folder);
    });
}
