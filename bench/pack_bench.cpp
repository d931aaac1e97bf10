// Packing benchmark. Every figure is a ratio against a reference run in the
// same process on the same files, so it reads the same on any machine:
//
//   build:   vornak-pack build on 1 thread and on all cores, against
//            `bzip2 -9` run over the same files one after another
//   200:     the installer's pack mode run once per file (each run
//            re-checksums the whole package), against one build call,
//            for 200 small files
//   extract: extracting every entry, against `bzip2 -d` on the same
//            compressed data
//
//   pack_bench [--quick] [--megabytes N] [--repeat N]
//
// Each line gives the best time of N runs, the throughput over the
// uncompressed bytes, and the ratio of the reference's time to ours (above 1
// is faster than the reference). Fails when a build writes other bytes than
// pack mode.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "support/win32_values.h"
#include "archive/pack_mode.h"
#include "bench/scratch_folder.h"
#include "support/file_system.h"
#include "support/folders.h"
#include "packer/common/command_line.h"
#include "packer/common/host_path.h"
#include "packer/build/package_builder.h"
#include "packer/examine/package_contents.h"
#include "packer/examine/package_verify.h"
#include "packer/common/tool_messages.h"

namespace {

struct Settings {
    double megabytes = 16;
    int repeat = 2;
    int small_files = 200;
};

// The corpus: files like an installer's, by kind and in rough proportion.
enum class Kind { kText, kProgram, kCompressed, kZeros };

// xorshift32: the low bits of a plain linear congruential generator repeat
// every few thousand values, and periodic data sends bzip2's block sort down
// its slow path, which real files rarely take.
uint32_t Next(uint32_t* state) {
    *state ^= *state << 13;
    *state ^= *state >> 17;
    *state ^= *state << 5;
    return *state;
}

std::string MakeBytes(Kind kind, size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    uint32_t state = seed * 2654435761u + 7;
    if (state == 0) {
        state = 1;  // xorshift would stay at 0
    }
    static const char* const kWords[] = {"install ", "folder ", "the ", "file\r\n",  "Vornak ",
                                         "setup ",   "of ",     "and ", "registry ", "0x1F "};
    size_t i = 0;
    while (i < size) {
        switch (kind) {
            case Kind::kText: {
                const char* word = kWords[Next(&state) % 10];
                for (; *word != '\0' && i < size; ++word) {
                    bytes[i++] = *word;
                }
                break;
            }
            case Kind::kProgram: {
                // Instruction-like runs: a few opcodes with varying operands.
                static const uint8_t kOps[] = {0x8B, 0x89, 0xE8, 0x55, 0xC3, 0x83, 0x50, 0xFF};
                bytes[i++] = static_cast<char>(kOps[Next(&state) % 8]);
                if (i < size) {
                    bytes[i++] = static_cast<char>(Next(&state) % 16);
                }
                break;
            }
            case Kind::kCompressed:
                bytes[i++] = static_cast<char>(Next(&state));
                break;
            case Kind::kZeros:
                i = size;
                break;
        }
    }
    return bytes;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    bool ok = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return file != nullptr && std::fclose(file) == 0 && ok;
}

std::string ReadFile(const std::string& path) {
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return bytes;
    }
    char buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, got);
    }
    std::fclose(file);
    return bytes;
}

struct Corpus {
    std::string folder;
    std::vector<vornak_pack::PackInput> inputs;
    uint64_t total = 0;
};

bool MakeCorpus(const std::string& folder, double megabytes, Corpus* corpus) {
    corpus->folder = folder;
    // 40 files: a few large programs and archives, many small texts.
    const Kind kinds[] = {Kind::kProgram, Kind::kText, Kind::kText,  Kind::kCompressed,
                          Kind::kProgram, Kind::kText, Kind::kZeros, Kind::kText};
    const double shares[] = {0.30, 0.10, 0.05, 0.20, 0.15, 0.05, 0.05, 0.10};
    for (int i = 0; i < 40; ++i) {
        Kind kind = kinds[i % 8];
        size_t size = static_cast<size_t>(megabytes * 1048576 * shares[i % 8] / 5);
        std::string name = "file" + std::to_string(i) + (kind == Kind::kText ? ".txt" : ".bin");
        std::string path = folder + "/" + name;
        if (!WriteFile(path, MakeBytes(kind, size, static_cast<uint32_t>(i)))) {
            return false;
        }
        corpus->inputs.push_back({path, name});
        corpus->total += size;
    }
    std::string script = "[Project Name]\r\nBenchmark\r\n";
    corpus->inputs.push_back({folder + "/setup.dat", "setup.dat"});
    corpus->total += script.size();
    return WriteFile(folder + "/setup.dat", script) &&
           WriteFile(folder + "/stub.exe", MakeBytes(Kind::kProgram, 200000, 1000));
}

double BestSeconds(int repeat, const std::function<bool()>& run, bool* ok) {
    double best = 0;
    for (int i = 0; i < repeat; ++i) {
        auto start = std::chrono::steady_clock::now();
        *ok = run() && *ok;
        std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (i == 0 || elapsed.count() < best) {
            best = elapsed.count();
        }
    }
    return best;
}

// ours and reference are seconds; the ratio is how many times faster ours is.
void PrintLine(const char* what, double ours, const char* reference_name, double reference,
               uint64_t bytes) {
    std::printf("pack_bench: %-30s %8.3f s %8.1f MiB/s | %-28s %8.3f s | x%.2f\n", what, ours,
                static_cast<double>(bytes) / 1048576 / ours, reference_name, reference,
                reference / ours);
}

// Runs a shell command over every file of the corpus, one process per file
// as a build script would; false when any fails.
bool RunOverFiles(const std::vector<vornak_pack::PackInput>& inputs, const std::string& command,
                  const std::string& suffix) {
    for (const vornak_pack::PackInput& input : inputs) {
        std::string line = command + " '" + input.path + suffix + "' >/dev/null";
        if (std::system(line.c_str()) != 0) {
            return false;
        }
    }
    return true;
}

bool PackModePerFile(const Corpus& corpus, const std::string& output) {
    std::string stub = ReadFile(corpus.folder + "/stub.exe");
    char core_output[support::kMaxPath];
    if (!WriteFile(output, stub) || !vornak_pack::ToCorePath(output, core_output)) {
        return false;
    }
    for (const vornak_pack::PackInput& input : corpus.inputs) {
        char core_input[support::kMaxPath];
        char name[support::kMaxPath];
        if (!vornak_pack::ToCorePath(input.path, core_input)) {
            return false;
        }
        archive::PackFile(core_input, core_output, name);
    }
    return true;
}

bool Build(const Corpus& corpus, const std::string& output, unsigned jobs) {
    vornak_pack::BuildRequest request;
    request.output = output;
    request.stub = corpus.folder + "/stub.exe";
    request.inputs = corpus.inputs;
    request.jobs = jobs;
    vornak_pack::BuildSummary summary;
    return vornak_pack::BuildPackage(request, &summary);
}

bool ParseSettings(int argc, char** argv, Settings* settings) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--quick") {
            settings->megabytes = 1;
            settings->repeat = 1;
            settings->small_files = 20;
        } else if (arg == "--megabytes" && i + 1 < argc) {
            settings->megabytes = std::atof(argv[++i]);
        } else if (arg == "--repeat" && i + 1 < argc) {
            settings->repeat = std::atoi(argv[++i]);
        } else {
            return false;
        }
    }
    return settings->megabytes > 0 && settings->repeat > 0;
}

// 200 small files, as a project of many texts and images has them.
bool MakeSmallFiles(const std::string& folder, int count, Corpus* corpus) {
    corpus->folder = folder;
    if (mkdir(folder.c_str(), 0700) != 0) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        std::string name = "small" + std::to_string(i) + ".txt";
        size_t size = 2000 + static_cast<size_t>(i % 7) * 3000;
        if (!WriteFile(folder + "/" + name, MakeBytes(Kind::kText, size, 500u + i))) {
            return false;
        }
        corpus->inputs.push_back({folder + "/" + name, name});
        corpus->total += size;
    }
    return WriteFile(folder + "/stub.exe", MakeBytes(Kind::kProgram, 200000, 1000));
}

bool CompareBuilds(const Settings& settings, const Corpus& corpus, const std::string& folder) {
    bool ok = true;
    double bzip2 = BestSeconds(
        settings.repeat, [&] { return RunOverFiles(corpus.inputs, "bzip2 -9 -c", ""); }, &ok);
    std::string expected_path = folder + "/reference.exe";
    ok = PackModePerFile(corpus, expected_path) && ok;
    std::string expected = ReadFile(expected_path);
    unsigned jobs = vornak_pack::DefaultJobs();
    std::vector<unsigned> counts = {1};
    if (jobs > 1) {
        counts.push_back(jobs);
    }
    for (unsigned count : counts) {
        std::string output = folder + "/built" + std::to_string(count) + ".exe";
        double seconds = BestSeconds(
            settings.repeat, [&] { return Build(corpus, output, count); }, &ok);
        std::string what = "build -j" + std::to_string(count);
        PrintLine(what.c_str(), seconds, "bzip2 -9, file by file", bzip2, corpus.total);
        if (ReadFile(output) != expected) {
            std::fprintf(stderr, "pack_bench: %s wrote other bytes than pack mode\n", what.c_str());
            ok = false;
        }
    }
    return ok;
}

bool CompareManyFiles(const Settings& settings, const std::string& folder) {
    Corpus small;
    if (!MakeSmallFiles(folder + "/small", settings.small_files, &small)) {
        return false;
    }
    bool ok = true;
    std::string reference_path = folder + "/small-reference.exe";
    double pack_mode = BestSeconds(
        settings.repeat, [&] { return PackModePerFile(small, reference_path); }, &ok);
    std::string output = folder + "/small-built.exe";
    double build = BestSeconds(
        settings.repeat, [&] { return Build(small, output, vornak_pack::DefaultJobs()); }, &ok);
    std::string what = "build, " + std::to_string(small.inputs.size()) + " files";
    PrintLine(what.c_str(), build, "pack mode once per file", pack_mode, small.total);
    if (ReadFile(output) != ReadFile(reference_path)) {
        std::fprintf(stderr, "pack_bench: %s wrote other bytes than pack mode\n", what.c_str());
        ok = false;
    }
    return ok;
}

bool CompareExtract(const Settings& settings, const Corpus& corpus, const std::string& folder) {
    bool ok = RunOverFiles(corpus.inputs, "bzip2 -9 -k -f", "");
    double bzip2 = BestSeconds(
        settings.repeat, [&] { return RunOverFiles(corpus.inputs, "bzip2 -d -c", ".bz2"); }, &ok);
    std::FILE* quiet = std::fopen("/dev/null", "w");
    double extract = BestSeconds(
        settings.repeat,
        [&] {
            return vornak_pack::ExtractPackage(folder + "/reference.exe", folder + "/out", {},
                                               quiet);
        },
        &ok);
    PrintLine("extract, all entries", extract, "bzip2 -d, file by file", bzip2, corpus.total);
    double verify = BestSeconds(
        settings.repeat,
        [&] { return vornak_pack::VerifyPackage(folder + "/reference.exe", quiet); }, &ok);
    PrintLine("verify", verify, "bzip2 -d, file by file", bzip2, corpus.total);
    std::fclose(quiet);
    return ok;
}

int RunBenchmark(const Settings& settings, const std::string& folder) {
    Corpus corpus;
    if (!MakeCorpus(folder, settings.megabytes, &corpus)) {
        std::fprintf(stderr, "pack_bench: cannot write the corpus in %s\n", folder.c_str());
        return 1;
    }
    std::printf("pack_bench: %zu files, %.1f MiB, best of %d, %u processors\n",
                corpus.inputs.size(), static_cast<double>(corpus.total) / 1048576, settings.repeat,
                vornak_pack::DefaultJobs());
    bool ok = CompareBuilds(settings, corpus, folder);
    ok = CompareManyFiles(settings, folder) && ok;
    ok = CompareExtract(settings, corpus, folder) && ok;
    std::printf("pack_bench: %s\n", ok ? "every build wrote what pack mode writes" : "FAILED");
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    vornak_pack::UseConsolePresenter();
    Settings settings;
    if (!ParseSettings(argc, argv, &settings)) {
        std::fprintf(stderr, "usage: pack_bench [--quick] [--megabytes N] [--repeat N]\n");
        return 2;
    }
    return bench::RunInScratchFolder("pack_bench", [&settings](const std::string& folder) {
        return RunBenchmark(settings, folder);
    });
}
