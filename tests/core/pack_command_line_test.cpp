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

    std::string path259(259, 'p');
    std::string path260(260, 'p');
    EXPECT_TRUE(app::ParsePackCommandLine(
        ("<packthis>\"" + path259 + "\" <packto>\"" + path259 + "\"").c_str(), &command));
    EXPECT_EQ(path259, command.file_path);
    EXPECT_FALSE(app::ParsePackCommandLine(("<packthis>\"" + path260 + "\" <packto>\"p\"").c_str(),
                                           &command));
    EXPECT_FALSE(app::ParsePackCommandLine(("<packthis>\"a\" <packto>\"" + path260 + "\"").c_str(),
                                           &command));

    std::string line999 = "<packthis>\"a\" <packto>\"p\"" + std::string(999 - 25, ' ');
    ASSERT_EQ(999u, line999.size());
    EXPECT_TRUE(app::ParsePackCommandLine(line999.c_str(), &command));
    EXPECT_FALSE(app::ParsePackCommandLine((line999 + " ").c_str(), &command));
}

TEST(ModeChoice, UninstallComesFirst) {
    EXPECT_EQ(app::Mode::kUninstall,
              app::ChooseMode("s.exe <packthis>\"a\" <uninstall>C:\\w\\VornakUninstall-X.dat"));
    EXPECT_EQ(app::Mode::kPack, app::ChooseMode("s.exe <packthis>\"a\" <packto>\"b\""));
    EXPECT_EQ(app::Mode::kInstall, app::ChooseMode("s.exe <Silent>"));
    EXPECT_EQ(app::Mode::kInstall, app::ChooseMode("s.exe <UNINSTALL>"));
}
