// sbom: a CycloneDX bill of materials for a finished installer: the
// installer itself, its stub, and every entry with its name, size and
// SHA-256, built with nlohmann-json.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>

#include "packer/publish/package_digests.h"

namespace vornak_pack {

// The CycloneDX 1.5 document for a package with these digests.
nlohmann::ordered_json MakeSbom(const PackageDigests& digests);

// Digests the package and prints its bill of materials on out.
bool WriteSbom(const std::string& package, std::FILE* out);

}  // namespace vornak_pack
