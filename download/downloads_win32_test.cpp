#include "download/downloads_win32.h"

#include "download/engine_library.h"
#include "platform/text.h"
#include "platform/win32/protected_folder.h"

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
