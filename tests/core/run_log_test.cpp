// The run log and unattended answers: what an administrator reads after a
// run nobody watched, and what such a run answers in place of a person.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "session/run_markers.h"
#include "support/message_box.h"
#include "support/run_log.h"
#include "support/win32_values.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"

namespace {

using testing_support::ReadAll;

TEST(RunLog, HoldsEarlyLinesLogsEveryBoxAndNeverOverwritesAnEarlierLog) {
    testing_support::Scratch scratch;
    testing_support::MessageCapture capture;
    {
        support::RunLog log;
        support::AttachRunLog(&log);
        support::LogLine("before the name: %d", 1);
        // Attended: the box is shown (to the capture) and logged.
        EXPECT_EQ(support::kIdOk, support::ShowMessage("Shown text", "Installer", 0));
        // Unattended: nobody is asked; the safe answer is logged with it.
        support::SetUnattended(true);
        EXPECT_EQ(support::kIdCancel,
                  support::ShowMessage("Cannot install 'x', disk might be full.", "Installer",
                                       support::kMbRetryCancel));
        support::SetUnattended(false);
        char chosen[support::kMaxPath] = "";
        ASSERT_TRUE(
            log.OpenNew(scratch.Folder().c_str(), "My:App?-install", chosen, sizeof chosen));
        EXPECT_EQ(scratch.PathOf("My_App_-install-1.log"), chosen);
        support::LogLine("after the name");
    }
    EXPECT_EQ(nullptr, support::AttachedRunLog());
    EXPECT_EQ(1u, capture.Messages().size());
    std::string text = ReadAll(scratch.PathOf("My_App_-install-1.log"));
    for (const char* expected :
         {"before the name: 1\r\n", "message \"Installer\": Shown text\r\n",
          "message \"Installer\" (not shown, answered Cancel): Cannot install 'x', disk might be "
          "full.\r\n",
          "after the name\r\n"}) {
        EXPECT_NE(std::string::npos, text.find(expected)) << expected << " in\n" << text;
    }
    EXPECT_LT(text.find("before the name"), text.find("after the name"));

    support::RunLog second;
    char chosen[support::kMaxPath] = "";
    ASSERT_TRUE(second.OpenNew(scratch.Folder().c_str(), "My:App?-install", chosen, sizeof chosen));
    EXPECT_EQ(scratch.PathOf("My_App_-install-2.log"), chosen);
    EXPECT_EQ(text, ReadAll(scratch.PathOf("My_App_-install-1.log")));
}

TEST(RunLog, UnattendedAnswersEndTheRunSafely) {
    EXPECT_EQ(support::kIdOk, support::UnattendedAnswer(support::kMbOk | support::kMbIconError));
    EXPECT_EQ(support::kIdCancel, support::UnattendedAnswer(support::kMbRetryCancel));
    EXPECT_EQ(support::kIdNo, support::UnattendedAnswer(support::kMbYesNo));
    EXPECT_EQ(support::kIdAbort, support::UnattendedAnswer(support::kMbAbortRetryIgnore));
    EXPECT_EQ(support::kIdCancel, support::UnattendedAnswer(0x1 /* OK, Cancel */));
    EXPECT_EQ(support::kIdCancel, support::UnattendedAnswer(0x3 /* Yes, No, Cancel */));
}

TEST(RunMarkers, ReadsEachMarkerAndRefusesPathsThatCannotBeHad) {
    struct Case {
        const char* command_line;
        bool silent, no_restart, log;
        const char* log_path;
        bool install_to;
        const char* install_to_path;
        bool malformed;
    } cases[] = {
        {"\"C:\\s.exe\"", false, false, false, "", false, "", false},
        {"\"C:\\s.exe\" <Silent> <NoRestart>", true, true, false, "", false, "", false},
        {"s.exe <Log>", false, false, true, "", false, "", false},
        {"s.exe <Log> <Silent>", true, false, true, "", false, "", false},
        {"s.exe <Log>\"C:\\a b\\x.log\" <InstallTo>\"D:\\Apps\\X\"", false, false, true,
         "C:\\a b\\x.log", true, "D:\\Apps\\X", false},
        {"s.exe <InstallTo>\"relative\\x\" <Silent>", true, false, false, "", true, "relative\\x",
         false},
        // No closing quote, no path, or no quote at all: nothing to take.
        {"s.exe <Log>\"C:\\x.log", false, false, true, "", false, "", true},
        {"s.exe <InstallTo>\"\"", false, false, false, "", true, "", true},
        {"s.exe <InstallTo>C:\\X", false, false, false, "", true, "", true},
        {"s.exe <silent> <log> <norestart>", false, false, false, "", false, "", false},
    };
    for (const Case& c : cases) {
        session::RunMarkers markers = session::ParseRunMarkers(c.command_line);
        EXPECT_EQ(c.silent, markers.silent) << c.command_line;
        EXPECT_EQ(c.no_restart, markers.no_restart) << c.command_line;
        EXPECT_EQ(c.log, markers.log) << c.command_line;
        EXPECT_STREQ(c.log_path, markers.log_path) << c.command_line;
        EXPECT_EQ(c.install_to, markers.install_to) << c.command_line;
        EXPECT_STREQ(c.install_to_path, markers.install_to_path) << c.command_line;
        EXPECT_EQ(c.malformed, markers.malformed) << c.command_line;
    }
    session::RunMarkers scoped = session::ParseRunMarkers("s.exe <Silent> <CurrentUser>");
    EXPECT_TRUE(scoped.current_user && !scoped.all_users && !scoped.malformed);
    EXPECT_TRUE(session::ParseRunMarkers("s.exe <AllUsers>").all_users);
    // Two scopes at once, and a scope beside a path without its quote.
    EXPECT_TRUE(session::ParseRunMarkers("s.exe <AllUsers> <CurrentUser>").malformed);
    EXPECT_TRUE(session::ParseRunMarkers("s.exe <Log>\"C:\\x.log <CurrentUser>").malformed);
    std::string too_long = "s.exe <InstallTo>\"C:\\" + std::string(support::kMaxPath, 'a') + "\"";
    EXPECT_TRUE(session::ParseRunMarkers(too_long.c_str()).malformed);
    EXPECT_TRUE(session::ParseRunMarkers("s.exe <Silent><Elevated>").elevated);
}

// What a run that starts itself again passes on: all after the program's
// name, which a quote may hold blanks in, as Windows reads it.
TEST(RunMarkers, ArgumentsFollowTheProgramsName) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"C:\\Program Files\\s.exe\" <Silent> x", " <Silent> x"},
        {"C:\\s.exe <uninstall>C:\\r.dat", " <uninstall>C:\\r.dat"},
        {"  s.exe", ""},
        {"\"C:\\no end", ""},
        {"", ""},
    };
    for (const auto& [command_line, arguments] : cases) {
        EXPECT_STREQ(arguments, session::ArgumentsOf(command_line)) << command_line;
    }
}

}  // namespace
