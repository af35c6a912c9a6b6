// The judge of folders the elevated program trusts, on security descriptors
// made from SDDL: Wine keeps no access lists of its own (it shows the Unix
// owner's on every file), so what a descriptor on disk is judged to be is
// checked here, on descriptors as Windows would hand them out.
#include "platform/win32/protected_folder.h"

#include "platform/text.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace qnb::win32 {
namespace {

TEST(ProtectedFolder, WhoMayChangeAFolderAsItsDescriptorSays) {
    struct Case {
        const char* what;
        const wchar_t* sddl;
        FolderTrust trust;
    };
    const Case cases[] = {
        {"the access list folders are made with", kProtectedFolderDescriptor, FolderTrust::kTrusted},
        {"owned by SYSTEM", L"O:SYD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", FolderTrust::kTrusted},
        {"users may read and run", L"O:BAD:(A;;FA;;;BA)(A;;0x1200a9;;;BU)(A;;GR;;;WD)", FolderTrust::kTrusted},
        {"a denying entry only takes away", L"O:BAD:(D;;FA;;;WD)(A;;FA;;;BA)", FolderTrust::kTrusted},
        {"an empty access list: only the owner", L"O:BAD:", FolderTrust::kTrusted},
        {"owned by a user", L"O:S-1-5-21-1-2-3-1001D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", FolderTrust::kOthersMayChange},
        {"owned by Users", L"O:BUD:P(A;OICI;FA;;;BA)", FolderTrust::kOthersMayChange},
        {"owned by Everyone", L"O:WDD:P(A;OICI;FA;;;BA)", FolderTrust::kOthersMayChange},
        {"no owner", L"D:P(A;OICI;FA;;;BA)", FolderTrust::kOthersMayChange},
        {"no access list at all: open to everyone", L"O:BA", FolderTrust::kOthersMayChange},
        {"users may change", L"O:BAD:(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;BU)", FolderTrust::kOthersMayChange},
        {"authenticated users may add files", L"O:BAD:(A;;FA;;;BA)(A;;0x2;;;AU)", FolderTrust::kOthersMayChange},
        {"everyone may write", L"O:BAD:(A;;GW;;;WD)", FolderTrust::kOthersMayChange},
        {"a user may change the access list", L"O:BAD:(A;;WD;;;S-1-5-21-1-2-3-1001)", FolderTrust::kOthersMayChange},
        {"a user may take ownership", L"O:BAD:(A;;WO;;;BU)", FolderTrust::kOthersMayChange},
        {"a user may delete what is in it", L"O:BAD:(A;;0x40;;;BU)", FolderTrust::kOthersMayChange},
        {"only for what is made in it, still others'", L"O:BAD:(A;OICIIO;FA;;;CO)(A;;FA;;;BA)", FolderTrust::kOthersMayChange},
        {"the usual drive root of a data drive", L"O:SYD:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1301bf;;;AU)(A;OICI;0x1200a9;;;BU)",
         FolderTrust::kOthersMayChange},
    };
    for (const Case& c : cases) EXPECT_EQ(JudgeDescriptor(c.sddl), c.trust) << c.what;
    EXPECT_EQ(JudgeDescriptor(L"not SDDL"), FolderTrust::kUnknown);
}

// An owner of Administrators, full control for them, and one entry more of
// the given type for Users (or none, or no access list at all), put
// together by hand: Wine's SDDL reader knows neither object nor callback
// entries, and makes an empty list of "no access control".
struct BuiltDescriptor {
    explicit BuiltDescriptor(int extraType, bool accessList = true) {
        DWORD size = sizeof administrators;
        CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size);
        size = sizeof users;
        CreateWellKnownSid(WinBuiltinUsersSid, nullptr, users, &size);
        InitializeAcl(reinterpret_cast<PACL>(acl), sizeof acl, ACL_REVISION_DS);
        AddAccessAllowedAce(reinterpret_cast<PACL>(acl), ACL_REVISION, FILE_ALL_ACCESS, administrators);
        if (extraType >= 0) {
            // An entry: header, mask, then (as every simple entry) the SID.
            BYTE ace[64] = {};
            auto* header = reinterpret_cast<ACE_HEADER*>(ace);
            DWORD sidLength = GetLengthSid(users);
            header->AceType = static_cast<BYTE>(extraType);
            header->AceSize = static_cast<WORD>(sizeof(ACE_HEADER) + sizeof(DWORD) + sidLength);
            *reinterpret_cast<DWORD*>(ace + sizeof(ACE_HEADER)) = FILE_ALL_ACCESS;
            CopySid(sidLength, ace + sizeof(ACE_HEADER) + sizeof(DWORD), users);
            added = AddAce(reinterpret_cast<PACL>(acl), ACL_REVISION_DS, MAXDWORD, ace, header->AceSize) != 0;
        }
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorOwner(&descriptor, administrators, FALSE);
        SetSecurityDescriptorDacl(&descriptor, TRUE, accessList ? reinterpret_cast<PACL>(acl) : nullptr, FALSE);
    }
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    BYTE users[SECURITY_MAX_SID_SIZE];
    alignas(DWORD) BYTE acl[256];
    SECURITY_DESCRIPTOR descriptor;
    bool added = true;
};

TEST(ProtectedFolder, EntriesOfKindsItDoesNotKnowAreNeverTrusted) {
    struct Case {
        const char* what;
        int type;  // -1: no entry more
        bool accessList;
        FolderTrust trust;
    };
    const Case cases[] = {
        {"administrators only", -1, true, FolderTrust::kTrusted},
        {"a null access list: open to everyone", -1, false, FolderTrust::kOthersMayChange},
        {"an allowing entry for users", ACCESS_ALLOWED_ACE_TYPE, true, FolderTrust::kOthersMayChange},
        {"a denying entry for users", ACCESS_DENIED_ACE_TYPE, true, FolderTrust::kTrusted},
        {"an object entry", ACCESS_ALLOWED_OBJECT_ACE_TYPE, true, FolderTrust::kOthersMayChange},
        {"a callback entry", ACCESS_ALLOWED_CALLBACK_ACE_TYPE, true, FolderTrust::kOthersMayChange},
        {"an entry of a kind no Windows has", 0x1F, true, FolderTrust::kOthersMayChange},
    };
    for (const Case& c : cases) {
        BuiltDescriptor built(c.type, c.accessList);
        ASSERT_TRUE(built.added) << c.what;
        EXPECT_EQ(JudgeDescriptor(&built.descriptor), c.trust) << c.what;
    }
}

// The user may write the temporary folder; Wine shows every file as the
// user's, so a real folder is never the administrators' here.
TEST(ProtectedFolder, TheTemporaryFolderIsNotTheAdministrators) {
    Win32FolderSecurity security;
    std::string temp = TemporaryFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(security.Inspect(temp), FolderTrust::kOthersMayChange);
}

// A junction (Wine shows a Unix symbolic link as one) is never judged by
// what it leads to, and never given an access list.
TEST(ProtectedFolder, ALinkIsALink) {
    Win32FolderSecurity security;
    const std::string links = QNB_LINK_FIXTURE;
    std::string junction = "Z:" + links + "/junction";
    for (char& c : junction) c = c == '/' ? '\\' : c;
    EXPECT_EQ(security.Inspect(junction), FolderTrust::kReparsePoint);
    EXPECT_FALSE(security.Protect(junction).ok());
}

// The deployment's folders: new each time, held, and a judge that says no
// leaves no folder handed out. (What Windows' judge says of the held folder
// cannot be seen under Wine, which shows the user as its owner.)
TEST(ProtectedFolder, HeldFoldersAreNewEachTimeAndCannotBeSwapped) {
    std::string temp = TemporaryFolder();
    auto trusting = [](HANDLE) { return FolderTrust::kTrusted; };
    auto first = MakeProtectedFolder(temp, trusting);
    auto second = MakeProtectedFolder(temp, trusting);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(first->rfind(temp, 0), 0u) << *first;
    std::wstring from = text::Wide(first->substr(0, first->size() - 1));
    EXPECT_FALSE(MoveFileW(from.c_str(), (from + L"-moved").c_str())) << "held: it cannot be renamed away";
    EXPECT_FALSE(RemoveDirectoryW(from.c_str()));
    EXPECT_FALSE(MakeProtectedFolder(temp, [](HANDLE) { return FolderTrust::kOthersMayChange; }));
    EXPECT_FALSE(MakeProtectedFolder(temp)) << "Wine shows the user as the owner: the real judge says no";
}

}  // namespace
}  // namespace qnb::win32
