// Publishing files: SHA-256 digests of the installer, its stub and every
// entry; the winget manifests checked against the fields the manifest
// schema (1.6.0) requires; the CycloneDX bill of materials.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
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
    std::string script = "[Project Name]\r\nPublished App\r\n";
    std::string data = testing_support::SampleBytes(40000, 21);
    PackageDigests digests;

    Published() {
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
};

void ExpectFields(const nlohmann::ordered_json& document, const std::vector<const char*>& fields) {
    for (const char* field : fields) {
        EXPECT_TRUE(document.contains(field)) << field << " in " << document.dump();
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

TEST(VornakPackPublish, WingetManifestsHoldWhatTheSchemaRequires) {
    Published published;
    vornak_pack::WingetRequest request;
    request.package = published.scratch.Path("app.exe");
    request.identifier = "Vornak.PublishedApp";
    request.version = "2.1.0";
    request.publisher = "Vornak";
    request.folder = published.scratch.Path("winget");
    request.url = "https://downloads.invalid/app.exe";
    std::FILE* out = std::tmpfile();
    ASSERT_TRUE(vornak_pack::WriteWingetManifests(request, out));
    std::fclose(out);
    auto read = [&](const std::string& name) {
        std::ifstream file(published.scratch.Path("winget/Vornak.PublishedApp" + name));
        return nlohmann::ordered_json::parse(file);
    };
    nlohmann::ordered_json version = read(".yaml");
    nlohmann::ordered_json installer = read(".installer.yaml");
    nlohmann::ordered_json locale = read(".locale.en-US.yaml");
    ExpectFields(version, {"PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType",
                           "ManifestVersion"});
    ExpectFields(installer, {"PackageIdentifier", "PackageVersion", "Installers", "ManifestType",
                             "ManifestVersion"});
    ExpectFields(
        locale, {"PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher", "PackageName",
                 "License", "ShortDescription", "ManifestType", "ManifestVersion"});
    ASSERT_EQ(1u, installer["Installers"].size());
    ExpectFields(installer["Installers"][0], {"Architecture", "InstallerUrl", "InstallerSha256"});
    EXPECT_EQ("version", version["ManifestType"]);
    EXPECT_EQ("defaultLocale", locale["ManifestType"]);
    EXPECT_EQ(version["DefaultLocale"], locale["PackageLocale"]);

    std::string sha = installer["Installers"][0]["InstallerSha256"];
    ASSERT_EQ(64u, sha.size());
    for (char& c : sha) {
        EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(c)) && !std::islower(c)) << sha;
        c = static_cast<char>(std::tolower(c));
    }
    EXPECT_EQ(published.digests.installer.sha256, sha);
    EXPECT_EQ("x86", installer["Installers"][0]["Architecture"]);
    EXPECT_EQ("exe", installer["InstallerType"]);
    EXPECT_EQ("<Silent>", installer["InstallerSwitches"]["Silent"]);
    EXPECT_EQ("elevatesSelf", installer["ElevationRequirement"]);
    EXPECT_EQ("machine", installer["Scope"]);
    EXPECT_EQ("Published App", installer["ProductCode"]);
    EXPECT_EQ("Published App", locale["PackageName"]);
    std::vector<int> codes;
    for (const auto& code : installer["ExpectedReturnCodes"]) {
        codes.push_back(code["InstallerReturnCode"]);
    }
    EXPECT_EQ((std::vector<int>{3010, 1602}), codes);
    EXPECT_EQ("rebootRequiredToFinish", installer["ExpectedReturnCodes"][0]["ReturnResponse"]);
    EXPECT_EQ("cancelledByUser", installer["ExpectedReturnCodes"][1]["ReturnResponse"]);
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
