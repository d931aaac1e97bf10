// vornak-pack and signed installers: list and verify tell the signature
// and check what lies in front of it, append and build refuse a signed
// file, a stub that cannot be signed is warned of, and the sign command's
// line, and where the signing tool is told to write. Signing is done by
// hand or by a stand-in tool here; vornak_pack_signing.sh signs with the
// real tool.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/host/vornak_pack_fixture.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"
#include "tests/support_lib/signed_image.h"
#include "packer/common/command_line.h"
#include "packer/build/package_builder.h"
#include "packer/examine/package_contents.h"
#include "packer/publish/package_signing.h"
#include "packer/examine/package_verify.h"

using testing_support::MessageCapture;
using testing_support::ReadAll;
using testing_support::WriteAll;
using vornak_pack::BuildPackage;
using vornak_pack::BuildRequest;
using vornak_pack::BuildSummary;
using vornak_pack_testing::Printed;
using vornak_pack_testing::Verified;

namespace {

// An installer built on a PE stub, and the same installer signed by hand.
struct SignedSample {
    vornak_pack_testing::HostScratch scratch;
    std::string unsigned_bytes;
    std::string signed_bytes;

    explicit SignedSample(uint32_t stub_checksum = 0) {
        std::string stub = testing_support::PeStub(2000);
        testing_support::PutLe32(stub, testing_support::PeCheckSumOffset(), stub_checksum);
        WriteAll(scratch.CorePath("stub.exe"), stub);
        WriteAll(scratch.CorePath("setup.dat"), "[Project Name]\r\nSigned\r\n");
        WriteAll(scratch.CorePath("data.bin"), testing_support::SampleBytes(30000, 11));
        BuildSummary summary;
        EXPECT_TRUE(BuildPackage(Request("setup.exe"), &summary));
        unsigned_bytes = ReadAll(scratch.CorePath("setup.exe"));
        signed_bytes = testing_support::SignLikeATool(unsigned_bytes, 2048);
        WriteAll(scratch.CorePath("signed.exe"), signed_bytes);
    }
    BuildRequest Request(const std::string& output) const {
        BuildRequest request;
        request.output = scratch.Path(output);
        request.stub = scratch.Path("stub.exe");
        request.inputs = {{scratch.Path("setup.dat"), "setup.dat"},
                          {scratch.Path("data.bin"), "data.bin"}};
        return request;
    }
};

// The names in folder that vornak-pack's own hidden files and folders get.
std::vector<std::string> LeftBehind(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    while (dirent* entry = dir != nullptr ? readdir(dir) : nullptr) {
        if (std::string(entry->d_name).rfind(".vornak-pack", 0) == 0) {
            names.push_back(entry->d_name);
        }
    }
    if (dir != nullptr) {
        closedir(dir);
    }
    return names;
}

}  // namespace

TEST(VornakPackSigned, ListAndVerifyTellTheSignatureAndCheckWhatLiesBeforeIt) {
    SignedSample sample;
    std::string path = sample.scratch.Path("signed.exe");
    MessageCapture capture;
    bool result = false;
    std::string report = Verified(path, &result);
    EXPECT_TRUE(result) << report;
    uint32_t padding = static_cast<uint32_t>((8 - sample.unsigned_bytes.size() % 8) % 8);
    std::string line = "signed: certificate table 2048 bytes, after " + std::to_string(padding) +
                       " bytes of padding\n";
    EXPECT_EQ(0u, report.find(line)) << report;
    EXPECT_NE(std::string::npos, report.find("2 entries, all hold"));
    std::string listed =
        Printed([&](std::FILE* out) { return vornak_pack::ListPackage(path, out); }, &result);
    EXPECT_TRUE(result);
    EXPECT_EQ(listed.size() - line.size(), listed.rfind(line)) << listed;
    EXPECT_EQ(0u, Verified(sample.scratch.Path("setup.exe"), &result).find("unsigned\n"));
    EXPECT_TRUE(capture.Messages().empty());

    // A byte of entry data: the file checksum names it. A byte of the
    // certificate table: ours to pass, the signature's to catch.
    std::string damaged = sample.signed_bytes;
    damaged[2500] ^= 0x20;
    WriteAll(sample.scratch.CorePath("signed.exe"), damaged);
    report = Verified(path, &result);
    EXPECT_FALSE(result);
    EXPECT_NE(std::string::npos, report.find("FAILED  file checksum: stored")) << report;
    EXPECT_NE(std::string::npos, report.find("does not look truncated")) << report;
    damaged = sample.signed_bytes;
    damaged[damaged.size() - 10] ^= 0x20;
    WriteAll(sample.scratch.CorePath("signed.exe"), damaged);
    EXPECT_NE(std::string::npos, Verified(path, &result).find("all hold"));
    EXPECT_TRUE(result);
}

TEST(VornakPackSigned, AppendAndBuildRefuseASignedFileAndLeaveItAlone) {
    SignedSample sample;
    BuildRequest append = sample.Request("signed.exe");
    append.append = true;
    append.stub.clear();
    MessageCapture capture;
    BuildSummary summary;
    EXPECT_FALSE(BuildPackage(append, &summary));
    EXPECT_EQ(sample.signed_bytes, ReadAll(sample.scratch.CorePath("signed.exe")));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("is signed"));

    BuildRequest build = sample.Request("fresh.exe");
    WriteAll(sample.scratch.CorePath("stub.exe"),
             testing_support::SignLikeATool(testing_support::PeStub(2000), 512));
    EXPECT_FALSE(BuildPackage(build, &summary));
    EXPECT_FALSE(testing_support::FileExists(sample.scratch.CorePath("fresh.exe")));
    EXPECT_EQ(2u, capture.Messages().size());
}

TEST(VornakPackSigned, AStubWithACheckSumIsPackedWithAWarning) {
    MessageCapture capture;
    SignedSample checked(0x1E117);
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("cannot be signed"));
    bool result = false;
    Verified(checked.scratch.Path("setup.exe"), &result);
    EXPECT_TRUE(result);
    EXPECT_EQ(2u, capture.Messages().size());
    // Signed, it no longer reads: the signer changed a field it counted.
    Verified(checked.scratch.Path("signed.exe"), &result);
    EXPECT_FALSE(result);
    // Sign refuses it before running any tool.
    vornak_pack::SignRequest request;
    request.package = checked.scratch.Path("setup.exe");
    request.tool = "/nonexistent/signer";
    capture.Clear();
    EXPECT_FALSE(vornak_pack::SignPackage(request, stdout));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("CheckSum is not 0"));

    capture.Clear();
    SignedSample clean;
    EXPECT_TRUE(capture.Messages().empty());
}

TEST(VornakPackSigned, SignTakesACertificateAndKeyOrAPkcs12File) {
    using vornak_pack::Command;
    Command command;
    std::string error;
    ASSERT_TRUE(vornak_pack::ParseCommandLine(
        {"sign", "p.exe", "--cert", "c.pem", "--key=k.pem", "--timestamp", "http://ts"}, &command,
        &error));
    EXPECT_EQ(vornak_pack::Action::kSign, command.action);
    vornak_pack::SignRequest request;
    request.certificate = command.certificate;
    request.key = command.key;
    request.timestamp_url = command.timestamp_url;
    EXPECT_EQ(
        (std::vector<std::string>{"osslsigncode", "sign", "-h", "sha256", "-certs", "c.pem", "-key",
                                  "k.pem", "-ts", "http://ts", "-in", "p.exe", "-out", "t"}),
        vornak_pack::SignCommandLine(request, command.package, "t"));
    ASSERT_TRUE(vornak_pack::ParseCommandLine(
        {"sign", "--pkcs12", "id.p12", "--pass-file", "pw", "p.exe"}, &command, &error));
    request = vornak_pack::SignRequest();
    request.pkcs12 = command.pkcs12;
    request.password_file = command.password_file;
    EXPECT_EQ((std::vector<std::string>{"osslsigncode", "sign", "-h", "sha256", "-pkcs12", "id.p12",
                                        "-readpass", "pw", "-in", "p.exe", "-out", "t"}),
              vornak_pack::SignCommandLine(request, command.package, "t"));

    for (std::vector<std::string> wrong : std::vector<std::vector<std::string>>{
             {"sign", "p.exe"},
             {"sign", "p.exe", "--cert", "c.pem"},
             {"sign", "p.exe", "--key", "k.pem", "--pkcs12", "id.p12"}}) {
        EXPECT_FALSE(vornak_pack::ParseCommandLine(wrong, &command, &error));
        EXPECT_NE(std::string::npos, error.find("--pkcs12 FILE")) << error;
    }
    EXPECT_FALSE(
        vornak_pack::ParseCommandLine({"sign", "--pkcs12", "x", "a", "b"}, &command, &error));
}

// The tool opens the output name it is given following links. The package
// lies in a folder anyone may write in, without the sticky bit. A stand-in
// tool notes the mode of the folder its output name is in, then signs,
// fails, or first does what another user could: plant a link to a file
// outside at the name where the folder lets anyone write, or else move the
// folder away and put one holding such a link in its place.
TEST(VornakPackSigned, TheToolWritesIntoAPrivateFolderThatIsGoneAfterwards) {
    struct Case {
        const char* what;
        const char* tool_does;
        bool signs;
    };
    const Case cases[] = {
        {"signs", "cp \"$signed\" \"$out\"", true},
        {"fails", "cp \"$signed\" \"$out\"; exit 1", false},
        {"is raced",
         "dir=$(cd \"$(dirname \"$out\")\" && pwd -P); name=$dir/$(basename \"$out\")\n"
         "if [ \"$(stat -c %a \"$dir\")\" != 700 ]; then ln -s \"$victim\" \"$name\"\n"
         "else mv \"$dir\" \"$dir.moved\"; mkdir \"$dir\"; ln -s \"$victim\" \"$name\"; fi\n"
         "cp \"$signed\" \"$out\"",
         true},
    };
    for (const Case& c : cases) {
        SignedSample sample;
        vornak_pack_testing::HostScratch tools;
        ASSERT_EQ(0, chmod(sample.scratch.Folder().c_str(), 0777));
        WriteAll(tools.CorePath("victim.txt"), "not the signer's");
        WriteAll(tools.CorePath("signer"),
                 "#!/bin/sh\nsigned='" + sample.scratch.Path("signed.exe") + "'\nvictim='" +
                     tools.Path("victim.txt") +
                     "'\nwhile [ $# -gt 1 ]; do [ \"$1\" = -out ] && out=$2; shift; done\n"
                     "stat -L -c %a \"$(dirname \"$out\")\" >'" +
                     tools.Path("mode.txt") + "'\n" + c.tool_does + "\n");
        ASSERT_EQ(0, chmod(tools.Path("signer").c_str(), 0755));
        vornak_pack::SignRequest request;
        request.package = sample.scratch.Path("setup.exe");
        request.certificate = "cert.pem";
        request.key = "key.pem";
        request.tool = tools.Path("signer");
        MessageCapture capture;
        std::FILE* out = std::tmpfile();
        EXPECT_EQ(c.signs, vornak_pack::SignPackage(request, out)) << c.what;
        std::fclose(out);
        EXPECT_EQ(c.signs ? sample.signed_bytes : sample.unsigned_bytes,
                  ReadAll(sample.scratch.CorePath("setup.exe")))
            << c.what;
        EXPECT_EQ("700\n", ReadAll(tools.CorePath("mode.txt"))) << c.what;
        EXPECT_TRUE(ReadAll(tools.CorePath("victim.txt")) == "not the signer's")
            << c.what << ": the tool wrote through the link";
        if (std::string(c.what) != "is raced") {
            EXPECT_TRUE(LeftBehind(sample.scratch.Folder()).empty()) << c.what;
        }
    }
}
