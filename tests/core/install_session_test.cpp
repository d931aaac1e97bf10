// The session: "<Silent>" read once from the command line, and the lending
// through which the modes hand their session to everything they start.
#include <gtest/gtest.h>

#include "session/install_session.h"

namespace {

TEST(InstallSession, SilentIsTheExactMarkerAnywhereOnTheCommandLine) {
    struct Case {
        const char* command_line;
        bool silent;
    } cases[] = {
        {"\"C:\\setup.exe\" <Silent>", true},
        {"<Silent>\"C:\\setup.exe\"", true},
        {"\"C:\\setup.exe\" <Silent><uninstall>C:\\W\\VornakUninstall-A.dat", true},
        {"\"C:\\setup.exe\" <silent>", false},
        {"\"C:\\setup.exe\" Silent", false},
        {"\"C:\\setup.exe\" <Silent", false},
        {"", false},
    };
    for (const Case& c : cases) {
        session::InstallSession run(c.command_line);
        EXPECT_EQ(c.silent, run.Silent()) << c.command_line;
        EXPECT_EQ(c.silent, session::HasSilentMarker(c.command_line)) << c.command_line;
    }
    EXPECT_FALSE(session::HasSilentMarker(nullptr));
}

TEST(InstallSession, LendingNestsAndFallsBackToAnEmptyStandIn) {
    session::InstallSession outer("<Silent>");
    session::InstallSession inner("");
    session::InstallSession* before = session::LendSession(&outer);
    EXPECT_EQ(&outer, &session::Current());
    EXPECT_EQ(&outer, session::LendSession(&inner));
    EXPECT_EQ(&inner, &session::Current());
    EXPECT_EQ(&inner, session::LendSession(&outer));
    EXPECT_TRUE(session::Current().Silent());
    session::LendSession(nullptr);
    EXPECT_NE(&outer, &session::Current());
    EXPECT_FALSE(session::Current().Silent());
    EXPECT_EQ(nullptr, session::Current().job);
    session::LendSession(before);
}

}  // namespace
