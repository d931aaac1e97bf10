// vornak-pack and UTF-8 packages: a project with Greek, Chinese and emoji
// names packed, listed and extracted under its own names with the signature
// in the packed setup.dat; a legacy name kept as its bytes and shown in
// UTF-8; what makes a package UTF-8 and what such a package refuses; and the
// linter counting a UTF-8 line's characters as the installer reads them.
#include <sys/stat.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "archive/package_archive.h"
#include "script/setup_script.h"
#include "tests/host/vornak_pack_fixture.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"
#include "packer/build/package_builder.h"
#include "packer/build/project_build.h"
#include "packer/examine/package_contents.h"
#include "packer/lint/script_lint.h"
#include "packer/lint/script_text.h"

using testing_support::MessageCapture;
using testing_support::ReadAll;
using testing_support::WriteAll;
using vornak_pack::BuildRequest;
using vornak_pack::BuildSummary;
using vornak_pack::PackInput;
using vornak_pack_testing::HostScratch;
using vornak_pack_testing::Printed;

namespace {

const std::string kSignature = "\xEF\xBB\xBF";

// The messages' texts, one a line.
std::string Texts(const MessageCapture& capture) {
    std::string texts;
    for (const testing_support::CapturedMessage& message : capture.Messages()) {
        texts += message.text + "\n";
    }
    return texts;
}

// A scratch folder with a stub, where each case writes its files and builds.
struct Workshop {
    HostScratch scratch;
    // A stub that reads UTF-8 packages says so in its manifest.
    Workshop() {
        WriteAll(scratch.CorePath("stub.exe"), "MZ stub <activeCodePage>UTF-8</activeCodePage>");
        WriteAll(scratch.CorePath("old.exe"), "MZ stub from before UTF-8 packages");
    }

    PackInput Add(const std::string& name, const std::string& bytes) {
        WriteAll(scratch.CorePath(name), bytes);
        return {scratch.Path(name), name};
    }
    bool Build(const std::vector<PackInput>& inputs, bool utf8, bool append = false,
               const std::string& stub = "stub.exe") {
        BuildRequest request;
        request.output = scratch.Path("out.exe");
        request.stub = append ? "" : scratch.Path(stub);
        request.append = append;
        request.inputs = inputs;
        request.utf8 = utf8;
        BuildSummary summary;
        return vornak_pack::BuildPackage(request, &summary);
    }
    // What extract writes for the entries called names, read from the
    // folder under want.
    std::string Extracted(const std::vector<std::string>& names, const std::string& want) {
        std::FILE* out = std::tmpfile();
        bool extracted =
            vornak_pack::ExtractPackage(scratch.Path("out.exe"), scratch.Path("x"), names, out);
        std::fclose(out);
        return extracted ? ReadAll(scratch.CorePath("x\\" + want)) : "(not extracted)";
    }
};

}  // namespace

TEST(VornakPackUnicode, AUtf8ProjectKeepsItsNamesAndItsPackedScriptIsMarked) {
    Workshop shop;
    const std::vector<std::string> names = {"αρχείο.txt", "中文说明.txt", "😀.txt"};
    std::string script =
        "[Project Name]\r\nΔοκιμή\r\n\r\n[Install To]\r\n<Program Files>\\Δοκιμή\r\n";
    mkdir(shop.scratch.Path("p").c_str(), 0777);
    for (const std::string& name : names) {
        // The script may name a file in another case, as the installer
        // would find it: the entry is named as the file is.
        std::string named = name == "αρχείο.txt" ? "ΑΡΧΕΊΟ.TXT" : name;
        script += "\r\n[CopyFile]\r\n" + named + "\r\n<Destination>\\" + name + "\r\n";
        WriteAll(shop.scratch.CorePath("p\\" + name), "content of " + name);
    }
    WriteAll(shop.scratch.CorePath("p\\setup.dat"), script);
    WriteAll(shop.scratch.CorePath("p\\setup.lic"), "Άδεια χρήσης");
    std::vector<PackInput> inputs;
    MessageCapture capture;
    ASSERT_TRUE(vornak_pack::GatherProject({shop.scratch.Path("p"), {}, true, false}, &inputs));
    ASSERT_TRUE(shop.Build(inputs, false)) << Texts(capture);
    EXPECT_EQ("", Texts(capture));

    bool listed = false;
    std::string list = Printed(
        [&](std::FILE* out) { return vornak_pack::ListPackage(shop.scratch.Path("out.exe"), out); },
        &listed);
    ASSERT_TRUE(listed);
    for (const std::string& name : names) {
        EXPECT_NE(std::string::npos, list.find(name + " ")) << list;
        // Found by its upper-case form, as the installer finds it.
        std::string upper = name == "αρχείο.txt" ? "ΑΡΧΕΊΟ.TXT" : name;
        EXPECT_EQ("content of " + name, shop.Extracted({upper}, name));
    }
    EXPECT_EQ(kSignature + script, shop.Extracted({}, "setup.dat"));
    EXPECT_EQ(kSignature + "Άδεια χρήσης", shop.Extracted({}, "setup.lic"));
    EXPECT_EQ(script, ReadAll(shop.scratch.CorePath("p\\setup.dat")));  // the author's file
}

TEST(VornakPackUnicode, ALegacyNameStaysItsBytesAndIsShownAndWrittenInUtf8) {
    Workshop shop;
    const std::string script = "[Project Name]\r\nCaf\xE9\r\n";
    std::vector<PackInput> inputs = {shop.Add("setup.dat", script),
                                     shop.Add("caf\xE9.txt", "legacy")};
    MessageCapture capture;
    ASSERT_TRUE(shop.Build(inputs, false));
    // The warning of every legacy package with such a name stays.
    EXPECT_NE(std::string::npos, Texts(capture).find("not plain ASCII"));

    archive::PackageArchive package(shop.scratch.CorePath("out.exe").c_str(), false);
    ASSERT_EQ(2, package.EntryCount());
    EXPECT_STREQ("caf\xE9.txt", package.EntryAt(1).name);
    bool listed = false;
    std::string list = Printed(
        [&](std::FILE* out) { return vornak_pack::ListPackage(shop.scratch.Path("out.exe"), out); },
        &listed);
    EXPECT_NE(std::string::npos, list.find("café.txt ")) << list;
    EXPECT_EQ("legacy", shop.Extracted({"CAFÉ.TXT"}, "café.txt"));
    EXPECT_EQ(script, shop.Extracted({}, "setup.dat"));
}

TEST(VornakPackUnicode, WhatMakesAPackageUtf8AndWhatItRefuses) {
    const std::string kAscii = "[Project Name]\r\nPlain\r\n";
    const std::string kGreek = "[Project Name]\r\nΔοκιμή\r\n";
    const std::string kCp1252 = "[Project Name]\r\nCaf\xE9\r\n";
    struct Case {
        const char* what;
        std::string script;
        std::vector<std::string> names;  // the files packed after setup.dat
        bool utf8_asked;
        const char* refusal;  // a piece of the error; null when it builds
        std::string packed_script;
    };
    const Case kCases[] = {
        {"plain ASCII", kAscii, {"a.txt"}, false, nullptr, kAscii},
        {"--utf8", kAscii, {"a.txt"}, true, nullptr, kSignature + kAscii},
        {"signed already", kSignature + kAscii, {"a.txt"}, true, nullptr, kSignature + kAscii},
        {"a UTF-8 name", kAscii, {"ωμέγα.txt"}, false, nullptr, kSignature + kAscii},
        {"a UTF-8 line", kGreek, {"a.txt"}, false, nullptr, kSignature + kGreek},
        {"Windows-1252 text only", kCp1252, {"a.txt"}, false, nullptr, kCp1252},
        {"a Windows-1252 line with a UTF-8 name",
         kCp1252,
         {"ωμέγα.txt"},
         false,
         "setup.dat:2: the line is not valid UTF-8",
         ""},
        {"a Windows-1252 name, --utf8",
         kAscii,
         {"caf\xE9.txt"},
         true,
         "the name is not valid UTF-8",
         ""},
        {"names one in Unicode's upper case",
         kAscii,
         {"Ωmega.txt", "ωMEGA.TXT"},
         false,
         "two files would be packed",
         ""},
    };
    for (const Case& test : kCases) {
        SCOPED_TRACE(test.what);
        Workshop shop;
        std::vector<PackInput> inputs = {shop.Add("setup.dat", test.script)};
        for (const std::string& name : test.names) {
            inputs.push_back(shop.Add(name, "x"));
        }
        MessageCapture capture;
        bool built = shop.Build(inputs, test.utf8_asked);
        if (test.refusal != nullptr) {
            EXPECT_FALSE(built);
            EXPECT_NE(std::string::npos, Texts(capture).find(test.refusal)) << Texts(capture);
            continue;
        }
        ASSERT_TRUE(built) << Texts(capture);
        EXPECT_EQ(test.packed_script, shop.Extracted({"setup.dat"}, "setup.dat"));
        EXPECT_EQ(test.script, ReadAll(shop.scratch.CorePath("setup.dat")));
    }
    // A stub from before UTF-8 packages takes the packages it can read.
    Workshop shop;
    MessageCapture capture;
    EXPECT_FALSE(shop.Build({shop.Add("setup.dat", kGreek)}, false, false, "old.exe"));
    EXPECT_NE(std::string::npos, Texts(capture).find("from before UTF-8 packages"));
    EXPECT_TRUE(shop.Build({shop.Add("setup.dat", kAscii)}, false, false, "old.exe"));
}

TEST(VornakPackUnicode, AnAppendedNameIsWrittenInThePackagesText) {
    struct Case {
        bool utf8_package;
        std::string name;
        const char* stored;  // null: refused
    };
    const Case kCases[] = {
        {false, "café.txt", "caf\xE9.txt"},  // as pack mode writes it in the code page
        {false, "ωμέγα.txt", nullptr},
        {true, "ωμέγα.txt", "ωμέγα.txt"},
        {true, "caf\xE9.txt", nullptr},
    };
    for (const Case& test : kCases) {
        SCOPED_TRACE(test.name);
        Workshop shop;
        MessageCapture capture;
        ASSERT_TRUE(
            shop.Build({shop.Add("setup.dat", "[Project Name]\r\nX\r\n")}, test.utf8_package));
        bool appended = shop.Build({shop.Add(test.name, "x")}, false, true);
        ASSERT_EQ(test.stored != nullptr, appended) << Texts(capture);
        archive::PackageArchive package(shop.scratch.CorePath("out.exe").c_str(), false);
        ASSERT_EQ(appended ? 2 : 1, package.EntryCount());
        if (appended) {
            EXPECT_STREQ(test.stored, package.EntryAt(1).name);
        }
    }
}

TEST(VornakPackUnicode, LintReadsAUtf8ScriptAsTheInstallerDoes) {
    // A [CopyFile] target of 260 characters in all (14 + 246 Greek letters)
    // is read whole; one more and the installer cuts it.
    std::string greek;
    for (int i = 0; i < 246; ++i) {
        greek += "λ";
    }
    const std::string kHead =
        "[Project Name]\r\nΔοκιμή\r\n[Install To]\r\nC:\\x\r\n[CopyFile]\r\na\r\n";
    const std::string kFull = "<Destination>\\" + greek;
    struct Case {
        const char* what;
        std::string script;
        int error_line;  // the one line with an error; 0 for none
        const char* error;
    };
    const Case kCases[] = {
        {"260 characters", kHead + kFull + "\r\n", 0, ""},
        {"261 characters", kHead + kFull + "λ\r\n", 7, "the line is 261 characters long"},
        {"a Windows-1252 line in a signed script", kSignature + "[Project Name]\r\nCaf\xE9\r\n", 2,
         "not valid UTF-8, but the installer reads this script as UTF-8 (the script begins"},
        {"a Windows-1252 line after a UTF-8 one", kHead + "Caf\xE9\r\n", 7, "(line 2 is UTF-8)"},
        {"Windows-1252 text only", "[Project Name]\r\nCaf\xE9\r\n[Install To]\r\nC:\\x\r\n", 0, ""},
    };
    for (const Case& test : kCases) {
        SCOPED_TRACE(test.what);
        vornak_pack::ScriptText text;
        text.Parse(test.script);
        std::vector<vornak_pack::Finding> errors;
        for (const vornak_pack::Finding& finding : vornak_pack::LintScript(text, {})) {
            if (finding.severity == vornak_pack::Severity::kError) {
                errors.push_back(finding);
            }
        }
        ASSERT_EQ(test.error_line == 0 ? 0u : 1u, errors.size())
            << (errors.empty() ? "" : errors[0].text);
        if (test.error_line != 0) {
            EXPECT_EQ(test.error_line, errors[0].line);
            EXPECT_NE(std::string::npos, errors[0].text.find(test.error)) << errors[0].text;
        }
    }
    // The installer's reader takes the 260-character line whole and cuts
    // the 261st character off, once the script bears the signature.
    testing_support::Scratch scratch;
    for (const std::string& extra : {std::string(), std::string("λ")}) {
        std::string path = scratch.PathOf("setup.dat");
        WriteAll(path, kSignature + kHead + kFull + extra + "\r\n");
        script::SetupScript reader(path.c_str());
        while (reader.NextLine() && !reader.AtHead(script::kCopyFileHead)) {
        }
        char value[script::LineCapacity(script::kValueLineLimit)];
        reader.ReadValue(value, script::kValueLineLimit);
        reader.ReadValue(value, script::kValueLineLimit);
        EXPECT_EQ(kFull, value);
        reader.ReadValue(value, script::kValueLineLimit);
        EXPECT_EQ(extra, value);
    }
}
