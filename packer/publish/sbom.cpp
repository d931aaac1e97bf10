// The CycloneDX document.
#include "packer/publish/sbom.h"

namespace vornak_pack {

namespace {

// A file component: sizes have no field of their own in CycloneDX, so the
// size is a property.
nlohmann::ordered_json Component(const char* type, const Digest& digest) {
    return {{"type", type},
            {"name", digest.name},
            {"hashes", {{{"alg", "SHA-256"}, {"content", digest.sha256}}}},
            {"properties", {{{"name", "vornak:size"}, {"value", std::to_string(digest.size)}}}}};
}

}  // namespace

nlohmann::ordered_json MakeSbom(const PackageDigests& digests) {
    nlohmann::ordered_json installer = Component("application", digests.installer);
    if (!digests.project_name.empty()) {
        installer["description"] = digests.project_name;
    }
    nlohmann::ordered_json stub = Component("application", digests.stub);
    stub["name"] = "VornakSetup.exe";
    stub["description"] = "the installer program: the bytes before the first entry";
    nlohmann::ordered_json components = nlohmann::ordered_json::array({stub});
    for (const Digest& entry : digests.entries) {
        components.push_back(Component("file", entry));
    }
    return {{"bomFormat", "CycloneDX"},
            {"specVersion", "1.5"},
            {"version", 1},
            {"metadata",
             {{"component", installer},
              {"tools", {{"components", {{{"type", "application"}, {"name", "vornak-pack"}}}}}}}},
            {"components", components}};
}

bool WriteSbom(const std::string& package, std::FILE* out) {
    PackageDigests digests;
    if (!DigestPackage(package, &digests)) {
        return false;
    }
    std::string text = MakeSbom(digests).dump(2) + "\n";
    return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

}  // namespace vornak_pack
