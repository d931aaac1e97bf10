// Building and writing the winget manifests.
#include "packer/publish/winget_manifest.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "support/disk_file.h"
#include "support/win32_values.h"
#include "packer/common/host_path.h"
#include "packer/common/tool_messages.h"

namespace vornak_pack {

namespace {

constexpr const char* kManifestVersion = "1.6.0";
constexpr const char* kLocale = "en-US";
// Exit codes winget should read: Windows' own for "restart required" and
// "cancelled by the user".
constexpr int kRestartRequired = 3010;
constexpr int kCancelled = 1602;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

nlohmann::ordered_json Head(const WingetRequest& request, const char* type) {
    return {{"PackageIdentifier", request.identifier},
            {"PackageVersion", request.version},
            {"ManifestType", type},
            {"ManifestVersion", kManifestVersion}};
}

// The stub's machine type: the architecture winget installs it for.
std::string Architecture(const std::string& path) {
    char core_path[support::kMaxPath];
    if (!ToCorePath(path, core_path)) {
        return "x86";
    }
    support::DiskFile file(core_path, support::DiskFile::kRead);
    uint8_t header[0x40];
    uint8_t machine[2] = {0, 0};
    if (file.Read(header, sizeof header) == sizeof header) {
        uint32_t pe = header[0x3C] | (header[0x3D] << 8) | (header[0x3E] << 16) |
                      (static_cast<uint32_t>(header[0x3F]) << 24);
        if (pe < 0x7FFFFFF0u && pe + 6 <= file.Size()) {
            file.Seek(static_cast<int32_t>(pe + 4));
            file.Read(machine, 2);
        }
    }
    return machine[0] == 0x64 && machine[1] == 0x86 ? "x64" : "x86";
}

bool WriteJson(const std::string& path, const nlohmann::ordered_json& document, std::FILE* out) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::string text = document.dump(2) + "\n";
    bool ok = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file != nullptr && std::fclose(file) != 0) {
        ok = false;
    }
    if (!ok) {
        ReportError("cannot write " + path + ": " + std::strerror(errno));
        return false;
    }
    std::fprintf(out, "%s\n", path.c_str());
    return true;
}

}  // namespace

WingetManifests MakeWingetManifests(const WingetRequest& request, const PackageDigests& digests,
                                    const std::string& architecture) {
    WingetManifests manifests;
    manifests.version = Head(request, "version");
    manifests.version["DefaultLocale"] = kLocale;

    nlohmann::ordered_json installer = Head(request, "installer");
    installer["InstallerType"] = "exe";
    installer["Scope"] = "machine";
    installer["InstallModes"] = {"interactive", "silent", "silentWithProgress"};
    installer["InstallerSwitches"] = {{"Silent", "<Silent>"}, {"SilentWithProgress", "<Silent>"}};
    installer["ElevationRequirement"] = "elevatesSelf";
    installer["ExpectedReturnCodes"] = {
        {{"InstallerReturnCode", kRestartRequired}, {"ReturnResponse", "rebootRequiredToFinish"}},
        {{"InstallerReturnCode", kCancelled}, {"ReturnResponse", "cancelledByUser"}}};
    // The uninstall entry is named after the project: that name is what
    // winget finds in the list of programs.
    installer["ProductCode"] = digests.project_name;
    installer["Installers"] = {{{"Architecture", architecture},
                                {"InstallerUrl", request.url},
                                {"InstallerSha256", Upper(digests.installer.sha256)}}};
    manifests.installer = installer;

    nlohmann::ordered_json locale = Head(request, "defaultLocale");
    locale["PackageLocale"] = kLocale;
    locale["Publisher"] = request.publisher;
    locale["PackageName"] = digests.project_name;
    locale["License"] = "Proprietary";
    locale["ShortDescription"] = digests.project_name + ", installed by its Vornak installer";
    manifests.default_locale = locale;
    return manifests;
}

bool WriteWingetManifests(const WingetRequest& request, std::FILE* out) {
    PackageDigests digests;
    if (!DigestPackage(request.package, &digests)) {
        return false;
    }
    if (digests.project_name.empty()) {
        ReportError(request.package +
                    " names no project ([Project Name] in setup.dat): winget needs the name "
                    "of its uninstall entry");
        return false;
    }
    if (mkdir(request.folder.c_str(), 0777) != 0 && errno != EEXIST) {
        ReportError("cannot create " + request.folder + ": " + std::strerror(errno));
        return false;
    }
    WingetManifests manifests =
        MakeWingetManifests(request, digests, Architecture(request.package));
    std::string base = request.folder + "/" + request.identifier;
    return WriteJson(base + ".yaml", manifests.version, out) &&
           WriteJson(base + ".installer.yaml", manifests.installer, out) &&
           WriteJson(base + ".locale." + kLocale + ".yaml", manifests.default_locale, out);
}

}  // namespace vornak_pack
