// vornak-pack and signed installers: list and verify tell the signature
// and check what lies in front of it, append and build refuse a signed
// file, a stub that cannot be signed is warned of, and the sign command's
// line. Signing is done by hand here; vornak_pack_signing.sh signs with the
// real tool.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/host/vornak_pack_fixture.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"
#include "tests/support_lib/signed_image.h"
#include "packer/common/command_line.h"
#include "packer/build/package_builder.h"
#include "packer/inspect/package_contents.h"
#include "packer/publish/package_signing.h"
#include "packer/inspect/package_verify.h"

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
