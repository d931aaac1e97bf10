// manifest --winget: the three files of a winget multi-file manifest for a
// finished installer (version, installer, default locale, manifest syntax
// 1.12.0).
//
// Each file is written as JSON, which YAML parsers read as YAML, through
// nlohmann-json rather than by hand. The installer entry says what a Vornak
// installer is to winget: an "exe" that installs silently with <Silent>,
// takes a log path and an install folder on its command line, needs
// administrator, installs for the machine and over an earlier version, and
// is known in the list of programs by its project name.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>

#include "packer/publish/package_digests.h"

namespace vornak_pack {

struct WingetRequest {
    std::string package;
    std::string identifier;  // Publisher.Name
    std::string version;
    std::string publisher;
    std::string folder;  // where the files go
    std::string url;     // where the installer will be downloaded from
};

struct WingetManifests {
    nlohmann::ordered_json version;
    nlohmann::ordered_json installer;
    nlohmann::ordered_json default_locale;
};

// The manifests for a package with these digests; architecture is "x86" or
// "x64".
WingetManifests MakeWingetManifests(const WingetRequest& request, const PackageDigests& digests,
                                    const std::string& architecture);

// Digests the package and writes ID.yaml, ID.installer.yaml and
// ID.locale.en-US.yaml into the folder, naming each on out.
bool WriteWingetManifests(const WingetRequest& request, std::FILE* out);

}  // namespace vornak_pack
