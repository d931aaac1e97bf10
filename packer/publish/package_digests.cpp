// Digests of a package, its stub and its entries, each read through the
// installer's own archive code.
#include "packer/publish/package_digests.h"

#include <openssl/evp.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "archive/package_archive.h"
#include "support/text.h"
#include "packer/common/host_path.h"
#include "packer/examine/package_contents.h"
#include "packer/lint/script_text.h"
#include "packer/common/tool_messages.h"

namespace vornak_pack {

namespace {

std::string ReadHostFile(const std::string& path, bool* ok) {
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    *ok = file != nullptr;
    char buffer[65536];
    size_t got = 0;
    while (file != nullptr && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, got);
    }
    if (file != nullptr) {
        *ok = !std::ferror(file);
        std::fclose(file);
    }
    return bytes;
}

bool DigestFile(const std::string& path, const std::string& name, Digest* digest) {
    bool ok = false;
    std::string bytes = ReadHostFile(path, &ok);
    if (!ok) {
        ReportError("cannot read " + path);
        return false;
    }
    *digest = {name, bytes.size(), Sha256Hex(bytes.data(), bytes.size())};
    return true;
}

// A scratch file for one entry's content, removed when done.
class ScratchFile {
  public:
    ScratchFile() {
        char pattern[] = "/tmp/vornak-pack-digest-XXXXXX";
        int fd = mkstemp(pattern);
        if (fd >= 0) {
            close(fd);
            path_ = pattern;
        }
    }
    ~ScratchFile() {
        if (!path_.empty()) {
            unlink(path_.c_str());
        }
    }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

std::string ProjectName(const std::string& script_path) {
    ScriptText script;
    std::string error;
    if (!script.Load(script_path, &error)) {
        return "";
    }
    const std::vector<ScriptLine>& lines = script.Lines();
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i].text == "[Project Name]") {
            return lines[i + 1].text;
        }
    }
    return "";
}

bool DigestEntries(archive::PackageArchive& package, PackageDigests* digests) {
    ScratchFile scratch;
    char core_path[support::kMaxPath];
    if (scratch.Path().empty() || !ToCorePath(scratch.Path(), core_path)) {
        ReportError("cannot make a scratch file in /tmp");
        return false;
    }
    for (int32_t i = 0; i < package.EntryCount(); ++i) {
        const char* name = package.EntryAt(i).name;
        Digest digest;
        if (!package.ExtractEntry(i, core_path) || !DigestFile(scratch.Path(), name, &digest)) {
            ReportError(std::string("'") + name + "' does not extract; 'verify' tells why");
            return false;
        }
        digests->entries.push_back(digest);
        if (digests->project_name.empty() && support::EqualsIgnoringCase(name, "setup.dat")) {
            digests->project_name = ProjectName(scratch.Path());
            digests->scopes = script::ReadInstallScopes(scratch.Path().c_str());
        }
    }
    return true;
}

}  // namespace

std::string Sha256Hex(const void* bytes, size_t size) {
    unsigned char hash[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes, size, hash, &length, EVP_sha256(), nullptr) != 1) {
        return "";
    }
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text += kHex[hash[i] >> 4];
        text += kHex[hash[i] & 15];
    }
    return text;
}

bool DigestPackage(const std::string& path, PackageDigests* digests) {
    *digests = PackageDigests();
    std::unique_ptr<archive::PackageArchive> package = OpenPackage(path, true);
    bool ok = false;
    std::string bytes = package != nullptr ? ReadHostFile(path, &ok) : "";
    uint32_t stub_length = package != nullptr ? package->StubLength() : 0;
    if (!ok || stub_length > bytes.size()) {
        return false;
    }
    digests->installer = {HostFileName(path), bytes.size(), Sha256Hex(bytes.data(), bytes.size())};
    digests->stub = {"stub", stub_length, Sha256Hex(bytes.data(), stub_length)};
    return DigestEntries(*package, digests);
}

}  // namespace vornak_pack
