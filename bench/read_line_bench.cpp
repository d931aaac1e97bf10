// How long reading a 10,000-line setup script takes, line by line.
//
// Three ways over the same file, best of several runs each:
//   - DiskFile::ReadLine, as the installer reads scripts and records;
//   - one Read call per byte, which is what a line reader without a buffer
//     costs (a system call per byte, and under Wine a trip through Wine's
//     file layer per byte);
//   - the reference: the whole file in one Read and split in memory, the
//     least any line reader can cost.
// Prints each with its ratio to the reference. Built natively and for
// Windows, so the same figures can be had under Wine.
//   read_line_bench [--lines N] [--repeat N] [--folder DIR]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "support/disk_file.h"
#include "support/win32_values.h"

namespace {

using support::DiskFile;

// A script such as the packer writes for a large product: sections of a
// head, an entry name and a target, with blank lines between.
std::string MakeScript(int lines) {
    std::string script = "[Project Name]\r\nBench\r\n[Install To]\r\nC:\\Bench\r\n";
    for (int i = 0; 4 + 4 * i < lines; ++i) {
        char section[200];
        std::snprintf(section, sizeof section,
                      "[CopyFile]\r\nfile%05d.dll\r\n<Destination>\\lib\\file%05d.dll\r\n\r\n", i,
                      i);
        script += section;
    }
    return script;
}

int LinesByReadLine(const char* path) {
    DiskFile file(path, DiskFile::kRead | DiskFile::kReportErrors);
    char line[1001];
    int count = 0;
    while (file.ReadLine(line, 1000)) {
        ++count;
    }
    return count;
}

int LinesByByteReads(const char* path) {
    DiskFile file(path, DiskFile::kRead | DiskFile::kReportErrors);
    int count = 0;
    char byte = 0;
    bool in_line = false;
    while (file.Read(&byte, 1) == 1) {
        if (byte == '\r') {
            file.Read(&byte, 1);
            ++count;
            in_line = false;
        } else {
            in_line = true;
        }
    }
    return count + (in_line ? 1 : 0);
}

int LinesFromOneRead(const char* path) {
    DiskFile file(path, DiskFile::kRead | DiskFile::kReportErrors);
    std::vector<char> data(static_cast<size_t>(file.Size()));
    if (file.Read(data.data(), static_cast<uint32_t>(data.size())) != data.size()) {
        return -1;
    }
    int count = 0;
    bool in_line = false;
    for (size_t i = 0; i < data.size(); ++i) {
        if (data[i] == '\r') {
            ++i;
            ++count;
            in_line = false;
        } else {
            in_line = true;
        }
    }
    return count + (in_line ? 1 : 0);
}

double BestSeconds(int repeat, const std::function<int()>& run, int* lines) {
    double best = 1e30;
    for (int i = 0; i < repeat; ++i) {
        auto start = std::chrono::steady_clock::now();
        *lines = run();
        std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        best = spent.count() < best ? spent.count() : best;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    int lines = 10000;
    int repeat = 5;
    std::string folder = ".";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--lines") == 0) {
            lines = std::atoi(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--repeat") == 0) {
            repeat = std::atoi(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--folder") == 0) {
            folder = argv[i + 1];
        }
    }
    if (lines < 4 || repeat < 1 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: read_line_bench [--lines N] [--repeat N] [--folder DIR]\n");
        return 2;
    }
    std::string path = folder + "/read_line_bench.dat";
    std::string script = MakeScript(lines);
    {
        DiskFile out(path.c_str(),
                     DiskFile::kWrite | DiskFile::kCreateEmpty | DiskFile::kReportErrors);
        if (!out.Write(script.data(), static_cast<uint32_t>(script.size()))) {
            return 1;
        }
    }
    int by_line = 0;
    int by_byte = 0;
    int reference = 0;
    double reference_seconds = BestSeconds(
        repeat, [&] { return LinesFromOneRead(path.c_str()); }, &reference);
    double line_seconds = BestSeconds(
        repeat, [&] { return LinesByReadLine(path.c_str()); }, &by_line);
    double byte_seconds = BestSeconds(
        repeat, [&] { return LinesByByteReads(path.c_str()); }, &by_byte);
    std::remove(path.c_str());
    std::printf("read_line_bench: %d lines, %zu bytes, best of %d\n", reference, script.size(),
                repeat);
    std::printf("read_line_bench: %-34s %9.4f s  x%.1f of the reference\n", "ReadLine",
                line_seconds, line_seconds / reference_seconds);
    std::printf("read_line_bench: %-34s %9.4f s  x%.1f of the reference\n",
                "one Read call per byte", byte_seconds, byte_seconds / reference_seconds);
    std::printf("read_line_bench: %-34s %9.4f s  (reference)\n", "whole file in one Read, split",
                reference_seconds);
    if (by_line != reference || by_byte != reference) {
        std::fprintf(stderr, "read_line_bench: line counts differ (%d, %d, %d)\n", by_line, by_byte,
                     reference);
        return 1;
    }
    return 0;
}
