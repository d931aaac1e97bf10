// What a package holds, as checksums for publishing: SHA-256 of the whole
// installer, of its stub and of every entry's content, each with its size.
// The manifest and the bill of materials are written from these.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "script/install_scope.h"

namespace vornak_pack {

struct Digest {
    std::string name;
    uint64_t size = 0;
    std::string sha256;  // 64 lower-case hex digits
};

struct PackageDigests {
    Digest installer;             // the whole file, as published
    Digest stub;                  // the bytes before the first entry
    std::vector<Digest> entries;  // each entry's content, in directory order
    std::string project_name;     // from setup.dat's [Project Name]; may be empty
    // Who the package installs for, read from setup.dat as the installer
    // reads it.
    script::InstallScopes scopes = script::InstallScopes::kAllUsers;
};

// SHA-256 of bytes, as lower-case hex, through the system's libcrypto.
std::string Sha256Hex(const void* bytes, size_t size);

// Reads path as the installer would and digests it. False, with a message,
// when it is not a package or an entry does not extract.
bool DigestPackage(const std::string& path, PackageDigests* digests);

}  // namespace vornak_pack
