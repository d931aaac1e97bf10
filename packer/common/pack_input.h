// The files to pack: where each comes from, the entry name it gets, and the
// rules a name must meet before anything is compressed.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vornak_pack {

struct PackInput {
    PackInput() = default;
    PackInput(std::string file_path, std::string entry_name)
        : path(std::move(file_path)), name(std::move(entry_name)) {}

    std::string path;  // Linux path of the file
    std::string name;  // entry name; the file name unless given otherwise
    // Bytes the entry holds before the file's own: the UTF-8 signature that
    // the packed copy of a UTF-8 package's setup.dat or setup.lic gains.
    std::string leading_bytes;
};

// Why name cannot be an entry name, or the empty text when it can. Entry
// names become Windows file names when the installer extracts them, and the
// directory stores their length, NUL included, in one byte.
std::string EntryNameProblem(const std::string& name);

// Whether the installer takes a and b as one entry name, letter case aside:
// compared in Unicode when either is UTF-8 that is not plain ASCII (such a
// name makes its package UTF-8), in Windows-1252 otherwise.
bool SameEntryName(const std::string& a, const std::string& b);

// Whether name is plain ASCII. Windows reads entry names in its ANSI code
// page, so other bytes may come out as other characters there.
bool IsAsciiName(const std::string& name);

// The largest file a package can hold: packages end below 2 GiB, because the
// core seeks with signed 32-bit offsets.
constexpr uint64_t kLargestInput = 0x7FFFFFFFu;

// The file paths a LISTFILE names, one a line, in order. Empty lines and
// lines starting with # are skipped; a CR before the LF is dropped; relative
// paths are taken from the current folder. False with the reason in error.
bool ReadListFile(const std::string& path, std::vector<std::string>* files, std::string* error);

// Opens a regular file of at most kLargestInput bytes for reading, to be
// read piece by piece; *size gets its size. Returns the descriptor, or -1
// with the reason in error.
int OpenInputFile(const std::string& path, uint64_t* size, std::string* error);

}  // namespace vornak_pack
