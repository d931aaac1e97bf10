// Choosing a package's text and checking its names and script against it.
#include "packer/build/package_text.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "archive/package_archive.h"
#include "packer/common/host_path.h"
#include "packer/common/tool_messages.h"
#include "packer/common/utf8_text.h"
#include "packer/examine/entry_names.h"
#include "packer/lint/script_text.h"
#include "support/program_text.h"
#include "support/text.h"

namespace vornak_pack {

namespace {

// The first input packed under name (in any letter case), or null.
PackInput* FindInput(std::vector<PackInput>* inputs, const char* name) {
    for (PackInput& input : *inputs) {
        if (support::EqualsIgnoringCase(input.name.c_str(), name)) {
            return &input;
        }
    }
    return nullptr;
}

bool ReadWhole(const std::string& path, std::string* bytes) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    *bytes = content.str();
    if (!file) {
        ReportError("cannot read " + path);
        return false;
    }
    return true;
}

std::string Utf8Reason(bool utf8_asked, const std::vector<PackInput>& inputs,
                       const PackInput* script, const ScriptText& script_text) {
    if (utf8_asked) {
        return "--utf8 was given";
    }
    if (script != nullptr && script_text.HasUtf8Signature()) {
        return script->path + " begins with the UTF-8 signature";
    }
    for (const PackInput& input : inputs) {
        if (IsUtf8NotAscii(input.name)) {
            return "the name '" + input.name + "' is UTF-8";
        }
    }
    if (script != nullptr && script_text.FirstUtf8Line() != 0) {
        return script->path + ":" + std::to_string(script_text.FirstUtf8Line()) + " is UTF-8";
    }
    return "";
}

bool CheckUtf8Names(const std::vector<PackInput>& inputs, const std::string& reason) {
    for (const PackInput& input : inputs) {
        if (!IsValidUtf8(input.name)) {
            ReportError(input.path +
                        ": the name is not valid UTF-8, but this package's names are (" + reason +
                        "); rename the file in UTF-8");
            return false;
        }
    }
    return true;
}

// Every name and script line must be UTF-8 once the package is.
bool CheckUtf8Package(const std::vector<PackInput>& inputs, const PackInput* script,
                      const ScriptText& script_text, const std::string& reason) {
    if (!CheckUtf8Names(inputs, reason)) {
        return false;
    }
    if (script == nullptr) {
        ReportError("the package's names are UTF-8 (" + reason +
                    "), which the installer learns only from a setup.dat that begins with the "
                    "UTF-8 signature; pack the project's setup.dat too");
        return false;
    }
    for (const ScriptLine& line : script_text.Lines()) {
        if (!IsValidUtf8(line.text)) {
            ReportError(script->path + ":" + std::to_string(line.number) +
                        ": the line is not valid UTF-8, but this package's text is (" + reason +
                        "); save " + script->path + " in UTF-8");
            return false;
        }
    }
    return true;
}

// The signature the packed copy of file gains, when its text is UTF-8 and
// it has none.
bool AddSignature(PackInput* input, bool only_if_utf8) {
    std::string bytes;
    if (!ReadWhole(input->path, &bytes)) {
        return false;
    }
    if (!BeginsWithUtf8Signature(bytes) && (!only_if_utf8 || IsValidUtf8(bytes))) {
        input->leading_bytes = support::kUtf8Signature;
    }
    return true;
}

}  // namespace

bool ChoosePackageText(bool utf8_asked, std::vector<PackInput>* inputs, PackageText* text) {
    *text = PackageText();
    PackInput* script = FindInput(inputs, "setup.dat");
    ScriptText script_text;
    std::string error;
    if (script != nullptr && !script_text.Load(script->path, &error)) {
        ReportError(error);
        return false;
    }
    text->reason = Utf8Reason(utf8_asked, *inputs, script, script_text);
    text->utf8 = !text->reason.empty();
    if (!text->utf8) {
        return true;
    }
    if (!CheckUtf8Package(*inputs, script, script_text, text->reason) ||
        !AddSignature(script, false)) {
        return false;
    }
    // A licence in a code page is still shown in the system's: only UTF-8
    // text is marked as such.
    PackInput* licence = FindInput(inputs, "setup.lic");
    return licence == nullptr || AddSignature(licence, true);
}

bool ExistingPackageText(const std::string& path, PackageText* text) {
    struct stat info;
    char core_path[support::kMaxPath];
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || !ToCorePath(path, core_path)) {
        return false;
    }
    archive::PackageArchive package(core_path, false);
    if (package.ValidationResult() != archive::Validation::kValid ||
        !package.FindEntry("setup.dat")) {
        return false;
    }
    support::DiskFile file(core_path, support::DiskFile::kRead);
    text->utf8 = NamesAreUtf8(package, file);
    text->reason = path + (text->utf8 ? "'s setup.dat begins with the UTF-8 signature"
                                      : "'s setup.dat has no UTF-8 signature");
    return true;
}

bool FitNamesToPackage(const PackageText& text, std::vector<PackInput>* inputs) {
    if (text.utf8) {
        return CheckUtf8Names(*inputs, text.reason);
    }
    for (PackInput& input : *inputs) {
        if (!IsUtf8NotAscii(input.name)) {
            continue;
        }
        char stored[support::kMaxPath];
        if (!support::FromProgramText(input.name.c_str(), false, stored, sizeof stored)) {
            ReportError(input.path + ": its name has letters that Windows-1252 cannot hold, and " +
                        "this package's names are in the ANSI code page (" + text.reason +
                        "); rename the file, or build the package anew as UTF-8");
            return false;
        }
        input.name = stored;
    }
    return true;
}

bool StubReadsUtf8Packages(const std::string& path) {
    std::ifstream stub(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(stub)), std::istreambuf_iterator<char>());
    return bytes.find("<activeCodePage") != std::string::npos;
}

}  // namespace vornak_pack
