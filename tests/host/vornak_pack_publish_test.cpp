// Publishing files: SHA-256 digests of the installer, its stub and every
// entry; the winget manifests checked against the manifest schemas 1.12.0
// (required fields, field names, enumerations); the CycloneDX bill of
// materials.
#include <gtest/gtest.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/host/vornak_pack_fixture.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"
#include "tests/support_lib/signed_image.h"
#include "packer/build/package_builder.h"
#include "packer/publish/package_digests.h"
#include "packer/publish/sbom.h"
#include "packer/publish/winget_manifest.h"

using testing_support::WriteAll;
using vornak_pack::PackageDigests;
using vornak_pack::Sha256Hex;

namespace {

struct Published {
    vornak_pack_testing::HostScratch scratch;
    std::string data = testing_support::SampleBytes(40000, 21);
    PackageDigests digests;

    explicit Published(const std::string& script = "[Project Name]\r\nPublished App\r\n") {
        WriteAll(scratch.CorePath("stub.exe"), testing_support::PeStub(1500));
        WriteAll(scratch.CorePath("Setup.dat"), script);
        WriteAll(scratch.CorePath("data.bin"), data);
        vornak_pack::BuildRequest request;
        request.output = scratch.Path("app.exe");
        request.stub = scratch.Path("stub.exe");
        request.inputs = {{scratch.Path("Setup.dat"), "Setup.dat"},
                          {scratch.Path("data.bin"), "data.bin"}};
        vornak_pack::BuildSummary summary;
        EXPECT_TRUE(vornak_pack::BuildPackage(request, &summary));
        EXPECT_TRUE(vornak_pack::DigestPackage(scratch.Path("app.exe"), &digests));
    }

    bool WriteManifests() const {
        vornak_pack::WingetRequest request;
        request.package = scratch.Path("app.exe");
        request.identifier = "Vornak.PublishedApp";
        request.version = "2.1.0";
        request.publisher = "Vornak";
        request.folder = scratch.Path("winget");
        request.url = "https://downloads.invalid/app.exe";
        std::FILE* out = std::tmpfile();
        bool written = vornak_pack::WriteWingetManifests(request, out);
        std::fclose(out);
        return written;
    }
    nlohmann::ordered_json Manifest(const std::string& suffix) const {
        std::ifstream file(scratch.Path("winget/Vornak.PublishedApp" + suffix));
        return nlohmann::ordered_json::parse(file);
    }
};

// The winget manifest schemas 1.12.0, as far as these manifests go; names
// are separated by spaces.
const char kManifestVersion[] = "1.12.0";
const std::map<std::string, const char*> kRequired = {
    {"version", "PackageIdentifier PackageVersion DefaultLocale ManifestType ManifestVersion"},
    {"installer", "PackageIdentifier PackageVersion Installers ManifestType ManifestVersion"},
    {"defaultLocale",
     "PackageIdentifier PackageVersion PackageLocale Publisher PackageName License "
     "ShortDescription ManifestType ManifestVersion"},
    {"Installers", "Architecture InstallerUrl InstallerSha256"},
    {"ExpectedReturnCodes", "InstallerReturnCode ReturnResponse"},
};
// The fields an installer, at the root or in Installers, may hold; winget
// refuses a manifest with any other.
const char kInstallerFields[] =
    "PackageIdentifier PackageVersion Channel InstallerLocale Platform MinimumOSVersion "
    "InstallerType NestedInstallerType NestedInstallerFiles Scope InstallModes InstallerSwitches "
    "InstallerSuccessCodes ExpectedReturnCodes UpgradeBehavior Commands Protocols FileExtensions "
    "Dependencies PackageFamilyName ProductCode Capabilities RestrictedCapabilities Markets "
    "InstallerAbortsTerminal ReleaseDate InstallLocationRequired RequireExplicitUpgrade "
    "DisplayInstallWarnings UnsupportedOSArchitectures UnsupportedArguments "
    "AppsAndFeaturesEntries ElevationRequirement InstallationMetadata DownloadCommandProhibited "
    "RepairBehavior ArchiveBinariesDependOnPath Authentication Architecture InstallerUrl "
    "InstallerSha256 SignatureSha256 Installers ManifestType ManifestVersion";
const std::map<std::string, const char*> kObjectFields = {
    {"InstallerSwitches",
     "Silent SilentWithProgress Interactive InstallLocation Log Upgrade Custom Repair"},
    {"AppsAndFeaturesEntries",
     "DisplayName Publisher DisplayVersion ProductCode UpgradeCode InstallerType"},
};
const std::map<std::string, const char*> kEnumerations = {
    {"InstallerType", "msix msi appx exe zip inno nullsoft wix burn pwa portable font"},
    {"Architecture", "x86 x64 arm arm64 neutral"},
    {"Scope", "user machine"},
    {"InstallModes", "interactive silent silentWithProgress"},
    {"UpgradeBehavior", "install uninstallPrevious deny"},
    {"ElevationRequirement", "elevationRequired elevationProhibited elevatesSelf"},
    {"ReturnResponse",
     "packageInUse packageInUseByApplication installInProgress fileInUse missingDependency "
     "diskFull insufficientMemory invalidParameter noNetwork contactSupport "
     "rebootRequiredToFinish rebootRequiredForInstall rebootInitiated cancelledByUser "
     "alreadyInstalled downgrade blockedByPolicy systemNotSupported custom"},
};

bool Among(const char* names, const std::string& name) {
    std::string padded = std::string(" ") + names + " ";
    return padded.find(" " + name + " ") != std::string::npos;
}

void ExpectRequired(const nlohmann::ordered_json& object, const std::string& schema) {
    std::istringstream fields(kRequired.at(schema));
    for (std::string field; fields >> field;) {
        EXPECT_TRUE(object.contains(field)) << schema << " needs " << field << ": " << object;
    }
}

// Every enumerated value and every field name below document, wherever it
// stands.
void ExpectSchemaValues(const nlohmann::ordered_json& document) {
    for (const auto& [field, value] : document.items()) {
        if (kEnumerations.count(field) != 0) {
            for (const auto& item : value.is_array() ? value : nlohmann::ordered_json{value}) {
                EXPECT_TRUE(item.is_string() &&
                            Among(kEnumerations.at(field), item.get<std::string>()))
                    << field << ": " << item;
            }
        }
        if (kObjectFields.count(field) != 0) {
            for (const auto& object : value.is_array() ? value : nlohmann::ordered_json{value}) {
                for (const auto& [name, unused] : object.items()) {
                    EXPECT_TRUE(Among(kObjectFields.at(field), name)) << field << "." << name;
                }
            }
        }
        if (value.is_structured()) {
            ExpectSchemaValues(value);
        }
    }
}

}  // namespace

TEST(VornakPackPublish, DigestsAreSha256OfInstallerStubAndEachEntry) {
    EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
              Sha256Hex("abc", 3));
    Published published;
    const PackageDigests& digests = published.digests;
    std::string installer = testing_support::ReadAll(published.scratch.CorePath("app.exe"));
    EXPECT_EQ(installer.size(), digests.installer.size);
    EXPECT_EQ(Sha256Hex(installer.data(), installer.size()), digests.installer.sha256);
    EXPECT_EQ(1500u, digests.stub.size);
    EXPECT_EQ(Sha256Hex(installer.data(), 1500), digests.stub.sha256);
    ASSERT_EQ(2u, digests.entries.size());
    EXPECT_EQ("data.bin", digests.entries[1].name);
    EXPECT_EQ(published.data.size(), digests.entries[1].size);
    EXPECT_EQ(Sha256Hex(published.data.data(), published.data.size()), digests.entries[1].sha256);
    EXPECT_EQ("Published App", digests.project_name);

    testing_support::MessageCapture capture;
    EXPECT_FALSE(
        vornak_pack::DigestPackage(published.scratch.Path("stub.exe"), &published.digests));
    EXPECT_EQ(1u, capture.Messages().size());
}

TEST(VornakPackPublish, WingetManifestsFollowTheSchemaAndSayWhatTheInstallerDoes) {
    Published published;
    ASSERT_TRUE(published.WriteManifests());
    nlohmann::ordered_json version = published.Manifest(".yaml");
    nlohmann::ordered_json installer = published.Manifest(".installer.yaml");
    nlohmann::ordered_json locale = published.Manifest(".locale.en-US.yaml");
    for (const auto* manifest : {&version, &installer, &locale}) {
        ExpectRequired(*manifest, (*manifest)["ManifestType"]);
        EXPECT_EQ(kManifestVersion, (*manifest)["ManifestVersion"]);
        ExpectSchemaValues(*manifest);
    }
    EXPECT_EQ("version", version["ManifestType"]);
    EXPECT_EQ("defaultLocale", locale["ManifestType"]);
    EXPECT_EQ(version["DefaultLocale"], locale["PackageLocale"]);
    for (const auto& [field, unused] : installer.items()) {
        EXPECT_TRUE(Among(kInstallerFields, field)) << field;
    }
    ASSERT_EQ(1u, installer["Installers"].size());
    const nlohmann::ordered_json& entry = installer["Installers"][0];
    ExpectRequired(entry, "Installers");
    for (const auto& [field, unused] : entry.items()) {
        EXPECT_TRUE(Among(kInstallerFields, field)) << field;
    }

    std::string sha = entry["InstallerSha256"];
    ASSERT_EQ(64u, sha.size());
    for (char& c : sha) {
        EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(c)) && !std::islower(c)) << sha;
        c = static_cast<char>(std::tolower(c));
    }
    EXPECT_EQ(published.digests.installer.sha256, sha);
    EXPECT_EQ("x86", entry["Architecture"]);
    EXPECT_EQ("exe", installer["InstallerType"]);
    EXPECT_EQ((nlohmann::ordered_json{{"Silent", "<Silent>"},
                                      {"SilentWithProgress", "<Silent>"},
                                      {"Log", "<Log>\"<LOGPATH>\""},
                                      {"InstallLocation", "<InstallTo>\"<INSTALLPATH>\""}}),
              installer["InstallerSwitches"]);
    // It asks for the rights itself, only when it lacks them.
    EXPECT_EQ("elevatesSelf", installer["ElevationRequirement"]);
    EXPECT_EQ("machine", installer["Scope"]);
    EXPECT_EQ("install", installer["UpgradeBehavior"]);
    EXPECT_EQ("Published App", installer["ProductCode"]);
    EXPECT_EQ("Published App", installer["AppsAndFeaturesEntries"][0]["DisplayName"]);
    EXPECT_EQ("Published App", locale["PackageName"]);
    std::map<int, std::string> responses;
    for (const auto& code : installer["ExpectedReturnCodes"]) {
        ExpectRequired(code, "ExpectedReturnCodes");
        responses[code["InstallerReturnCode"]] = code["ReturnResponse"];
    }
    EXPECT_EQ((std::map<int, std::string>{{1602, "cancelledByUser"},
                                          {1618, "installInProgress"},
                                          {3010, "rebootRequiredToFinish"}}),
              responses);
    // A success code would hide the restart that 3010 asks for.
    EXPECT_FALSE(installer.contains("InstallerSuccessCodes"));

    // A name winget cannot take as the package's name writes nothing.
    Published one_letter("[Project Name]\r\nX\r\n");
    testing_support::MessageCapture capture;
    EXPECT_FALSE(one_letter.WriteManifests());
    EXPECT_EQ(1u, capture.Messages().size());
    EXPECT_NE(0, access(one_letter.scratch.Path("winget").c_str(), F_OK));
}

TEST(VornakPackPublish, WingetNamesTheScopesThePackageAllows) {
    const std::string kName = "[Project Name]\r\nPublished App\r\n";
    Published user(kName + "[Install Scope]\r\nCurrentUser\r\n");
    ASSERT_TRUE(user.WriteManifests());
    EXPECT_EQ("user", user.Manifest(".installer.yaml")["Scope"]);
    EXPECT_FALSE(user.Manifest(".installer.yaml").contains("ElevationRequirement"));

    // Both: one installer for each scope, told which by its marker.
    Published both(kName + "[Install Scope]\r\nBoth\r\n");
    ASSERT_TRUE(both.WriteManifests());
    nlohmann::ordered_json installer = both.Manifest(".installer.yaml");
    ExpectSchemaValues(installer);
    EXPECT_FALSE(installer.contains("Scope"));
    ASSERT_EQ(2u, installer["Installers"].size());
    const char* kScopes[][3] = {{"user", "<CurrentUser>", nullptr},
                                {"machine", "<AllUsers>", "elevatesSelf"}};
    for (size_t i = 0; i < 2; ++i) {
        const nlohmann::ordered_json& entry = installer["Installers"][i];
        ExpectRequired(entry, "Installers");
        EXPECT_EQ(kScopes[i][0], entry["Scope"]);
        EXPECT_EQ(kScopes[i][1], entry["InstallerSwitches"]["Custom"]);
        EXPECT_EQ(kScopes[i][2] != nullptr, entry.contains("ElevationRequirement"));
    }
}

TEST(VornakPackPublish, TheBillOfMaterialsListsTheStubAndEveryEntry) {
    Published published;
    nlohmann::ordered_json bom = vornak_pack::MakeSbom(published.digests);
    EXPECT_EQ("CycloneDX", bom["bomFormat"]);
    EXPECT_EQ(published.digests.installer.sha256,
              bom["metadata"]["component"]["hashes"][0]["content"]);
    ASSERT_EQ(3u, bom["components"].size());
    const auto& stub = bom["components"][0];
    EXPECT_EQ("VornakSetup.exe", stub["name"]);
    EXPECT_EQ(published.digests.stub.sha256, stub["hashes"][0]["content"]);
    EXPECT_EQ("1500", stub["properties"][0]["value"]);
    const auto& data = bom["components"][2];
    EXPECT_EQ("data.bin", data["name"]);
    EXPECT_EQ("SHA-256", data["hashes"][0]["alg"]);
    EXPECT_EQ(published.digests.entries[1].sha256, data["hashes"][0]["content"]);
    EXPECT_EQ(std::to_string(published.data.size()), data["properties"][0]["value"]);
}
