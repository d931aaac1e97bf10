// The job folder of an elevated installer: made only if new, and its access
// list, read back from the system, admits Administrators and SYSTEM only;
// what is made inside inherits that.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/file_system.h"
#include "tests/support_lib/scratch.h"

namespace {

struct AccessEntry {
    WELL_KNOWN_SID_TYPE who;
    DWORD mask;
    BYTE flags;
};

// The security descriptor of path, as the file system keeps it.
std::string DescriptorOf(const std::string& path) {
    DWORD needed = 0;
    GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    std::string block(needed, '\0');
    if (needed == 0 ||
        !GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, &block[0], needed, &needed)) {
        return "";
    }
    return block;
}

void ExpectOnlyEntries(const std::string& path, const AccessEntry* expected, DWORD count,
                       bool inherited) {
    SCOPED_TRACE(path);
    std::string block = DescriptorOf(path);
    ASSERT_FALSE(block.empty());
    auto* descriptor = reinterpret_cast<PSECURITY_DESCRIPTOR>(&block[0]);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
    if (!inherited) {
        EXPECT_TRUE(control & SE_DACL_PROTECTED) << "inherits nothing from the temp folder";
    }
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL acl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted));
    ASSERT_TRUE(present && acl != nullptr);
    ASSERT_EQ(count, acl->AceCount);
    for (DWORD i = 0; i < count; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(acl, i, reinterpret_cast<void**>(&ace)));
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType);
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD sid_size = sizeof sid;
        ASSERT_TRUE(CreateWellKnownSid(expected[i].who, nullptr, sid, &sid_size));
        EXPECT_TRUE(EqualSid(sid, &ace->SidStart)) << "entry " << i;
        EXPECT_EQ(expected[i].mask, ace->Mask) << "entry " << i << " grants no more";
        BYTE inheritance =
            ace->Header.AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERITED_ACE);
        EXPECT_EQ(expected[i].flags, inheritance) << "entry " << i;
    }
}

bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name") != nullptr;
}

// Whether the access list of path has an entry for who.
bool GrantsAnything(const std::string& path, WELL_KNOWN_SID_TYPE who) {
    std::string block = DescriptorOf(path);
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL acl = nullptr;
    GetSecurityDescriptorDacl(reinterpret_cast<PSECURITY_DESCRIPTOR>(&block[0]), &present, &acl,
                              &defaulted);
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sid_size = sizeof sid;
    CreateWellKnownSid(who, nullptr, sid, &sid_size);
    for (DWORD i = 0; acl != nullptr && i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (GetAce(acl, i, reinterpret_cast<void**>(&ace)) && EqualSid(sid, &ace->SidStart)) {
            return true;
        }
    }
    return !present || acl == nullptr;  // no list at all lets everyone in
}

// The installer takes this way when it runs elevated (its manifest asks for
// that); the test program itself may not be, so it asks for it directly.
TEST(PrivateFolder, ElevatedJobFolderAdmitsAdministratorsAndSystemOnly) {
    testing_support::Scratch scratch;
    std::string folder = scratch.PathOf("QZTjob\\");
    ASSERT_TRUE(support::fs::CreateAdministratorsFolder(folder.c_str()));
    EXPECT_FALSE(support::fs::CreateAdministratorsFolder(folder.c_str())) << "never taken over";
    testing_support::WriteAll(folder + "setup.dat", "[Project Name]\r\n");
    if (RunningUnderWine()) {
        // Wine keeps a file's access as its Unix mode, so the list reads
        // back as the owner and SYSTEM; what can be checked there is that
        // nobody else is let in.
        for (WELL_KNOWN_SID_TYPE other :
             {WinWorldSid, WinBuiltinUsersSid, WinAuthenticatedUserSid}) {
            EXPECT_FALSE(GrantsAnything(folder, other)) << other;
        }
        return;
    }
    const BYTE both = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    const AccessEntry own[] = {{WinBuiltinAdministratorsSid, FILE_ALL_ACCESS, both},
                               {WinLocalSystemSid, FILE_ALL_ACCESS, both},
                               {WinCreatorOwnerRightsSid, READ_CONTROL, 0}};
    ExpectOnlyEntries(folder, own, 3, false);
    const AccessEntry inherited[] = {{WinBuiltinAdministratorsSid, FILE_ALL_ACCESS, INHERITED_ACE},
                                     {WinLocalSystemSid, FILE_ALL_ACCESS, INHERITED_ACE}};
    ExpectOnlyEntries(folder + "setup.dat", inherited, 2, true);
}

}  // namespace
