// Pack-mode command-line parsing and the choice of mode.
#include <gtest/gtest.h>

#include <string>

#include "app/mode.h"
#include "app/pack_command_line.h"

using app::PackCommand;

TEST(PackCommandLine, TakesBothQuotedPaths) {
    PackCommand command;
    ASSERT_TRUE(app::ParsePackCommandLine(
        "\"C:\\VornakSetup.exe\" <packthis>\"C:\\src\\setup.dat\" <packto>\"C:\\out\\pkg.exe\"",
        &command));
    EXPECT_STREQ("C:\\src\\setup.dat", command.file_path);
    EXPECT_STREQ("C:\\out\\pkg.exe", command.archive_path);
}

TEST(PackCommandLine, BlankBeforeQuoteGivesEmptyPath) {
    PackCommand command;
    ASSERT_TRUE(app::ParsePackCommandLine("x <packthis> \"a.txt\" <packto> \"p.exe\"", &command));
    EXPECT_STREQ("", command.file_path);
    EXPECT_STREQ("", command.archive_path);
}

TEST(PackCommandLine, TextBetweenThePathsIsIgnored) {
    PackCommand command;
    ASSERT_TRUE(app::ParsePackCommandLine("<packthis>\"a.txt\" whatever <Silent> <packto>\"p.exe\"",
                                          &command));
    EXPECT_STREQ("a.txt", command.file_path);
    EXPECT_STREQ("p.exe", command.archive_path);
}

TEST(PackCommandLine, RefusesWhatDoesNotFit) {
    PackCommand command;
    EXPECT_FALSE(app::ParsePackCommandLine("<packthis>\"a.txt <packto>\"p.exe", &command));
    EXPECT_FALSE(app::ParsePackCommandLine("<packthis>\"a.txt\"", &command));
    EXPECT_FALSE(app::ParsePackCommandLine("<packthis>\"a.txt\" <packto>\"p.exe", &command));
    EXPECT_FALSE(app::ParsePackCommandLine("<packthis>", &command));
    EXPECT_FALSE(app::ParsePackCommandLine("<packthis>\"a\" <packto>", &command));
    EXPECT_STREQ("", command.file_path);

    // A path takes what a Windows path can be in UTF-8, and no more.
    std::string longest(support::kMaxPath - 1, 'p');
    std::string too_long(support::kMaxPath, 'p');
    EXPECT_TRUE(app::ParsePackCommandLine(
        ("<packthis>\"" + longest + "\" <packto>\"" + longest + "\"").c_str(), &command));
    EXPECT_EQ(longest, command.file_path);
    EXPECT_FALSE(app::ParsePackCommandLine(("<packthis>\"" + too_long + "\" <packto>\"p\"").c_str(),
                                           &command));
    EXPECT_FALSE(app::ParsePackCommandLine(("<packthis>\"a\" <packto>\"" + too_long + "\"").c_str(),
                                           &command));

    const size_t line_limit = sizeof command.command_line - 1;
    std::string longest_line = "<packthis>\"a\" <packto>\"p\"" + std::string(line_limit - 25, ' ');
    ASSERT_EQ(line_limit, longest_line.size());
    EXPECT_TRUE(app::ParsePackCommandLine(longest_line.c_str(), &command));
    EXPECT_FALSE(app::ParsePackCommandLine((longest_line + " ").c_str(), &command));
}

TEST(ModeChoice, UninstallComesFirst) {
    EXPECT_EQ(app::Mode::kUninstall,
              app::ChooseMode("s.exe <packthis>\"a\" <uninstall>C:\\w\\VornakUninstall-X.dat"));
    EXPECT_EQ(app::Mode::kPack, app::ChooseMode("s.exe <packthis>\"a\" <packto>\"b\""));
    EXPECT_EQ(app::Mode::kInstall, app::ChooseMode("s.exe <Silent>"));
    EXPECT_EQ(app::Mode::kInstall, app::ChooseMode("s.exe <UNINSTALL>"));
}
