// The uninstaller's command line: the record path after the marker, the
// project name and banner derived from it, "<Silent>", and record paths too
// long for the path buffers, which are refused whole; and where a record may
// lie, and how its path is spelt for programs that see another system folder.
#include <gtest/gtest.h>

#include <string>

#include "support/win32_values.h"
#include "uninstall/system_folder_paths.h"
#include "uninstall/uninstall_command_line.h"

using uninstall::ParseUninstallCommandLine;
using uninstall::UninstallCommand;
using uninstall::UninstallCommandResult;

namespace {

UninstallCommand Parse(const std::string& line,
                       UninstallCommandResult expected = UninstallCommandResult::kParsed) {
    UninstallCommand command;
    EXPECT_EQ(expected, ParseUninstallCommandLine(line.c_str(), &command)) << line;
    return command;
}

const char kStub[] = "\"C:\\WINDOWS\\SYSTEM\\VornakUninstall.exe\" ";

}  // namespace

TEST(UninstallCommandLine, RecordNamesProjectAndBanner) {
    UninstallCommand command =
        Parse(std::string(kStub) + "<uninstall>C:\\WINDOWS\\SYSTEM\\VornakUninstall-Demo.dat");
    EXPECT_STREQ("C:\\WINDOWS\\SYSTEM\\VornakUninstall-Demo.dat", command.record_path);
    EXPECT_STREQ("C:\\WINDOWS\\SYSTEM\\VornakUninstall-Demo.bmp", command.bitmap_path);
    EXPECT_STREQ("Demo", command.project_name);
    EXPECT_FALSE(command.silent);
}

TEST(UninstallCommandLine, ProjectNameIsTheTitleAfterItsFirstDash) {
    EXPECT_STREQ("My-App", Parse("<uninstall>C:\\S\\VornakUninstall-My-App.dat").project_name);
    EXPECT_STREQ("Sample Tool 2.1",
                 Parse("<uninstall>C:\\S\\VornakUninstall-Sample Tool 2.1.dat").project_name);
    // Without a dash the whole title; a dash in the folder does not count.
    EXPECT_STREQ("Record", Parse("<uninstall>C:\\My-Folder\\Record.dat").project_name);
    EXPECT_STREQ("", Parse("<uninstall>").project_name);
}

TEST(UninstallCommandLine, RecordPathIsTakenAsWritten) {
    // Quotes and spaces stay: everything after the marker is the path, so a
    // later marker becomes part of it.
    UninstallCommand command = Parse("x <uninstall> \"C:\\S\\VornakUninstall-A.dat\" <Silent>");
    EXPECT_STREQ(" \"C:\\S\\VornakUninstall-A.dat\" <Silent>", command.record_path);
    EXPECT_TRUE(command.silent);
    EXPECT_STREQ("C:\\S\\VornakUninstall-A<uninstall>x.dat",
                 Parse("<uninstall>C:\\S\\VornakUninstall-A<uninstall>x.dat").record_path);
}

TEST(UninstallCommandLine, SilentBeforeTheMarker) {
    UninstallCommand command = Parse("\"u.exe\" <Silent><uninstall>C:\\S\\VornakUninstall-A.dat");
    EXPECT_TRUE(command.silent);
    EXPECT_STREQ("C:\\S\\VornakUninstall-A.dat", command.record_path);
    EXPECT_FALSE(Parse("<uninstall>C:\\S\\VornakUninstall-A.dat <silent>").silent);
}

TEST(UninstallCommandLine, WithoutTheMarkerNothingIsParsed) {
    UninstallCommand command =
        Parse("setup.exe <Uninstall>C:\\a.dat", UninstallCommandResult::kNoMarker);
    EXPECT_STREQ("", command.record_path);
}

TEST(UninstallCommandLine, LongestPathsThatFit) {
    std::string folder = "C:\\" + std::string(259 - 4 - 24, 'f') + "\\";
    std::string record = folder + "VornakUninstall-Demo.dat";  // 259 characters
    ASSERT_EQ(259u, record.size());
    UninstallCommand command = Parse("<uninstall>" + record);
    EXPECT_EQ(record, command.record_path);
    EXPECT_EQ(folder + "VornakUninstall-Demo.bmp", command.bitmap_path);
    EXPECT_STREQ("Demo", command.project_name);
}

TEST(UninstallCommandLine, TooLongRecordPathIsRefused) {
    // Cut to what a path buffer holds it would name another record, and a
    // shorter project, whose files would then go.
    std::string record =
        "C:\\" + std::string(support::kMaxPath - 20, 'f') + "\\VornakUninstall-Demo.dat";
    UninstallCommand command = Parse("<uninstall>" + record, UninstallCommandResult::kPathTooLong);
    EXPECT_STREQ("", command.record_path);
    EXPECT_STREQ("", command.project_name);
    Parse("<uninstall>" + std::string(5000, 'x'), UninstallCommandResult::kPathTooLong);
}

TEST(UninstallCommandLine, BannerPathTooLongIsRefused) {
    // ".bmp" replaces a shorter extension, or is added where there is none.
    std::string record = "C:\\" + std::string(support::kMaxPath - 15, 'f') + "\\Vornak-A.d";
    ASSERT_EQ(support::kMaxPath - 1, record.size());
    Parse("<uninstall>" + record, UninstallCommandResult::kPathTooLong);
    Parse("<uninstall>C:\\" + std::string(support::kMaxPath - 7, 'f') + "\\-A",
          UninstallCommandResult::kPathTooLong);
}

TEST(UninstallSystemFolder, RecordsLieDirectlyInTheFolderInEitherCase) {
    const char* folder = "C:\\Windows\\system32";
    EXPECT_TRUE(uninstall::LiesDirectlyIn("C:\\Windows\\system32\\VornakUninstall-A.dat", folder));
    EXPECT_TRUE(uninstall::LiesDirectlyIn("c:\\WINDOWS\\SYSTEM32\\VornakUninstall-A.dat",
                                          "C:\\Windows\\system32\\"));
    for (const char* path :
         {"C:\\Windows\\system32\\sub\\VornakUninstall-A.dat",
          "C:\\Windows\\system32\\..\\..\\Users\\VornakUninstall-A.dat",
          "C:\\Windows\\system32x\\VornakUninstall-A.dat", "C:\\Windows\\system32\\",
          "C:\\Windows\\system32", "\"C:\\Windows\\system32\\VornakUninstall-A.dat\"",
          "VornakUninstall-A.dat", "C:\\Temp\\VornakUninstall-A.dat"}) {
        EXPECT_FALSE(uninstall::LiesDirectlyIn(path, folder)) << path;
    }
    EXPECT_FALSE(uninstall::LiesDirectlyIn("\\VornakUninstall-A.dat", ""));
}

TEST(UninstallSystemFolder, PathsInTheFolderAreRespelt) {
    char out[support::kMaxPath];
    EXPECT_TRUE(uninstall::RespellFolder("C:\\windows\\system32\\VornakUninstall.exe",
                                         "C:\\Windows\\System32", "C:\\windows\\syswow64\\", out,
                                         sizeof out));
    EXPECT_STREQ("C:\\windows\\syswow64\\VornakUninstall.exe", out);
    // Elsewhere, with no other spelling, or when it would not fit: unchanged.
    EXPECT_FALSE(uninstall::RespellFolder("C:\\Apps\\x.exe", "C:\\Windows\\System32",
                                          "C:\\windows\\syswow64", out, sizeof out));
    EXPECT_STREQ("C:\\Apps\\x.exe", out);
    EXPECT_FALSE(uninstall::RespellFolder("C:\\Windows\\System32\\x.exe", "C:\\Windows\\System32",
                                          "", out, sizeof out));
    EXPECT_STREQ("C:\\Windows\\System32\\x.exe", out);
    std::string long_path = "C:\\S\\" + std::string(support::kMaxPath - 10, 'n');
    EXPECT_FALSE(uninstall::RespellFolder(long_path.c_str(), "C:\\S", "C:\\Windows\\SysWOW64", out,
                                          sizeof out));
    EXPECT_EQ(long_path, out);
}
