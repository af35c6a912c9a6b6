#include "download/downloads_win32.h"

#include "download/engine_library.h"
#include "platform/text.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace qnb::win32 {
namespace {

// The engine library of this build: ..\engine\xldl.dll from the test program's folder.
std::string BuiltEngine() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::string self = text::Narrow(std::wstring(path, length));
    std::string folder = self.substr(0, self.find_last_of('\\'));
    return folder.substr(0, folder.find_last_of('\\') + 1) + "engine\\xldl.dll";
}

TEST(ProtectedFolder, ItsAccessListLetsOnlyAdministratorsAndSystemWrite) {
    EXPECT_TRUE(DescriptorLetsOnlyAdministratorsWrite(kProtectedFolderDescriptor));
    // The check tells such a list from the usual ones.
    EXPECT_FALSE(DescriptorLetsOnlyAdministratorsWrite(L"D:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;BU)"));
    EXPECT_FALSE(DescriptorLetsOnlyAdministratorsWrite(L"D:(A;;GW;;;WD)"));
    EXPECT_FALSE(DescriptorLetsOnlyAdministratorsWrite(L"O:BA"));  // no access list: open to all
    EXPECT_FALSE(OnlyAdministratorsMayWrite(TemporaryFolder())) << "the user may write the temporary folder";
}

// Wine keeps no access lists of its own (it shows the Unix owner's), so the
// list on disk is checked on Windows only; here the folder's other promises.
TEST(ProtectedFolder, IsNewEachTimeAndCannotBeSwappedWhileHeld) {
    std::string temp = TemporaryFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    auto first = MakeProtectedFolder(temp);
    auto second = MakeProtectedFolder(temp);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(first->rfind(temp, 0), 0u) << *first;
    // Held open: it cannot be renamed away and replaced by another folder.
    std::wstring from = text::Wide(first->substr(0, first->size() - 1));
    EXPECT_FALSE(MoveFileW(from.c_str(), (from + L"-moved").c_str()));
    EXPECT_FALSE(RemoveDirectoryW(from.c_str()));
}

TEST(EngineLibraryLoading, TheEngineLoadsByFullPathAndALibraryWithoutItsFunctionsDoesNot) {
    auto engine = LoadEngineLibrary(BuiltEngine());
    ASSERT_TRUE(engine);
    ASSERT_TRUE(engine->Init());
    auto params = std::make_unique<EngineTaskParams>();
    FillTaskParams("http://127.0.0.1:9/none.gho", TemporaryFolder() + "none.gho", params.get());
    EngineHandle task = engine->CreateTask(*params);
    ASSERT_NE(task, nullptr);
    EngineTaskInfo info;
    ASSERT_TRUE(engine->QueryTaskInfo(task, &info));
    EXPECT_EQ(info.status, engine::kStatusCreated);
    EXPECT_FALSE(engine->QueryTaskInfo(params.get(), &info)) << "a handle it did not give out";
    EXPECT_TRUE(engine->DeleteTask(task));
    EXPECT_TRUE(engine->UnInit());

    EXPECT_FALSE(LoadEngineLibrary("C:\\windows\\system32\\kernel32.dll")) << "no XL_ functions";
    EXPECT_FALSE(LoadEngineLibrary("C:\\nowhere\\xldl.dll"));
    EXPECT_FALSE(LoadEngineLibrary(""));
}

}  // namespace
}  // namespace qnb::win32
