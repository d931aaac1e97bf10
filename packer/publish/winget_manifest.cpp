// Building and writing the winget manifests.
#include "packer/publish/winget_manifest.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "support/disk_file.h"
#include "support/exit_codes.h"
#include "support/win32_values.h"
#include "packer/common/host_path.h"
#include "packer/common/tool_messages.h"

namespace vornak_pack {

namespace {

// The syntax the community repository takes.
constexpr const char* kManifestVersion = "1.12.0";
constexpr const char* kLocale = "en-US";
// The project name is the package name (2 characters at least) and the
// product code (255 at most).
constexpr size_t kShortestName = 2;
constexpr size_t kLongestName = 255;

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

// What the installer's exit codes (support/exit_codes.h) mean to winget.
// 3010 goes here, as rebootRequiredToFinish, and not into
// InstallerSuccessCodes: winget reads a code there as a plain success and
// never looks it up here, so its user would not learn that a restart
// finishes the install.
nlohmann::ordered_json ExpectedReturnCodes() {
    const std::pair<int, const char*> kCodes[] = {
        {support::kExitCancelled, "cancelledByUser"},
        {support::kExitAnotherRunInProgress, "installInProgress"},
        {support::kExitRestartRequired, "rebootRequiredToFinish"}};
    nlohmann::ordered_json codes = nlohmann::ordered_json::array();
    for (const auto& [code, response] : kCodes) {
        codes.push_back({{"InstallerReturnCode", code}, {"ReturnResponse", response}});
    }
    return codes;
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
    if (digests.scopes != script::InstallScopes::kEither) {
        installer["Scope"] =
            digests.scopes == script::InstallScopes::kCurrentUser ? "user" : "machine";
    }
    installer["InstallModes"] = {"interactive", "silent", "silentWithProgress"};
    // The installer's own markers; winget puts its paths in for the tokens.
    installer["InstallerSwitches"] = {{"Silent", "<Silent>"},
                                      {"SilentWithProgress", "<Silent>"},
                                      {"Log", "<Log>\"<LOGPATH>\""},
                                      {"InstallLocation", "<InstallTo>\"<INSTALLPATH>\""}};
    // It installs over an earlier version in place, as a first install.
    installer["UpgradeBehavior"] = "install";
    // The installer asks Windows for nothing at its start; an install for
    // all users starts itself again with administrator rights when it
    // lacks them (the schema's elevatesSelf), one for the user alone needs
    // none and asks for none.
    if (digests.scopes == script::InstallScopes::kAllUsers) {
        installer["ElevationRequirement"] = "elevatesSelf";
    }
    installer["ExpectedReturnCodes"] = ExpectedReturnCodes();
    // The uninstall entry's key and its DisplayName are both the project's
    // name: that is how winget finds the installed program in the list of
    // programs. The entry has no Publisher value, so none is claimed here.
    installer["ProductCode"] = digests.project_name;
    installer["AppsAndFeaturesEntries"] = {
        {{"DisplayName", digests.project_name}, {"ProductCode", digests.project_name}}};
    nlohmann::ordered_json entry = {{"Architecture", architecture},
                                    {"InstallerUrl", request.url},
                                    {"InstallerSha256", Upper(digests.installer.sha256)}};
    if (digests.scopes != script::InstallScopes::kEither) {
        installer["Installers"] = {entry};
    } else {
        // One installer for each scope, the same file told which by its
        // marker: winget picks by the user's --scope.
        nlohmann::ordered_json user = entry;
        user["Scope"] = "user";
        user["InstallerSwitches"] = {{"Custom", "<CurrentUser>"}};
        nlohmann::ordered_json machine = entry;
        machine["Scope"] = "machine";
        machine["InstallerSwitches"] = {{"Custom", "<AllUsers>"}};
        machine["ElevationRequirement"] = "elevatesSelf";
        installer["Installers"] = {user, machine};
    }
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
    if (digests.project_name.size() < kShortestName || digests.project_name.size() > kLongestName) {
        ReportError(request.package + ": the project name is " +
                    std::to_string(digests.project_name.size()) + " characters; winget takes " +
                    std::to_string(kShortestName) + " to " + std::to_string(kLongestName));
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
