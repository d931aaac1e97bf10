// The real stub started as a separate process in pack mode: it builds a
// package one file per call, and bad pack command lines change nothing.
// Install mode is driven through its windows by the end-to-end tests.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/pack_command_line.h"
#include "archive/package_archive.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"

using testing_support::ReadAll;
using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

std::string StubPath() {
    return VORNAK_STUB_PATH;
}

// Starts the stub with the given arguments and waits for it.
DWORD RunStub(const std::string& arguments) {
    std::string command_line = "\"" + StubPath() + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command_line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return 0xFFFFFFFF;
    }
    WaitForSingleObject(process.hProcess, 60000);
    DWORD exit_code = 0xFFFFFFFE;
    GetExitCodeProcess(process.hProcess, &exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exit_code;
}

std::string PackArguments(const std::string& file, const std::string& package) {
    return "<packthis>\"" + file + "\" <packto>\"" + package + "\"";
}

}  // namespace

TEST(StubPackMode, BuildsAPackageOneFilePerCall) {
    Scratch scratch;
    testing_support::MessageCapture capture;
    std::string package = scratch.PathOf("Tool-setup.exe");
    ASSERT_TRUE(CopyFileA(StubPath().c_str(), package.c_str(), FALSE));
    WriteAll(scratch.PathOf("setup.dat"), "[Project Name]\r\nTool\r\n");
    WriteAll(scratch.PathOf("tool.exe"), testing_support::SampleBytes(70000, 4));
    EXPECT_EQ(0u, RunStub(PackArguments(scratch.PathOf("setup.dat"), package)));
    EXPECT_EQ(0u, RunStub(PackArguments(scratch.PathOf("tool.exe"), package)));

    archive::PackageArchive archive(package.c_str(), false);
    ASSERT_EQ(2, archive.EntryCount());
    ASSERT_TRUE(archive.Extract("tool.exe", scratch.PathOf("out.exe").c_str()));
    EXPECT_EQ(ReadAll(scratch.PathOf("tool.exe")), ReadAll(scratch.PathOf("out.exe")));
    archive.CopyStub(scratch.PathOf("bare.exe").c_str());
    EXPECT_EQ(ReadAll(StubPath()), ReadAll(scratch.PathOf("bare.exe")));
}

TEST(StubPackMode, BadCommandLinesPackNothing) {
    Scratch scratch;
    std::string package = scratch.PathOf("pkg.exe");
    WriteAll(package, "stub");
    WriteAll(scratch.PathOf("a.txt"), "a");
    // 1639: the command line was refused.
    EXPECT_EQ(1639u, RunStub("<packthis>\"" + scratch.PathOf("a.txt") + " <packto>\"" + package));
    EXPECT_EQ(1639u, RunStub("<packthis>\"" + scratch.PathOf("a.txt") + "\""));
    EXPECT_EQ(1639u, RunStub(PackArguments(scratch.PathOf("a.txt"), package) +
                             std::string(sizeof app::PackCommand::command_line, ' ')));
    EXPECT_EQ("stub", ReadAll(package));
}
