// xldl.dll's exports as the shipped 32-bit program calls them: found by their
// plain names, and stdcall, so each one takes its own arguments off the
// stack. A cdecl export would still be found and would still answer, but
// would leave its arguments behind on every call.
#include "engine/engine_api.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

static_assert(sizeof(void*) == 4, "the i686 test program's own file (BITS 32)");

namespace qnb::engine {
namespace {

// The engine library of this build: ..\engine\xldl.dll from the test program's folder.
std::wstring BuiltEngine() {
    wchar_t path[MAX_PATH];
    std::wstring self(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    std::wstring folder = self.substr(0, self.find_last_of(L'\\'));
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"engine\\xldl.dll";
}

struct Answer {
    uint32_t result;    // what the function returned in eax
    uint32_t leftOver;  // bytes of arguments still on the stack after it returned
};

// Calls function with args pushed right to left from a 16-byte aligned
// stack, and measures the stack pointer across the call.
Answer CallMeasured(FARPROC function, const std::vector<uint32_t>& args) {
    uint32_t result, leftOver, count = static_cast<uint32_t>(args.size());
    const uint32_t* first = args.data();
    asm volatile(
        "movl %%esp, %%esi\n\t"
        "andl $-16, %%esp\n\t"
        "pushl %%esi\n\t"          // the caller's stack pointer, at 12(%%esi) below
        "subl $12, %%esp\n\t"
        "movl %%esp, %%esi\n\t"    // esi: the stack before the arguments
        "jecxz 2f\n"
        "1:\n\t"
        "pushl -4(%%edi,%%ecx,4)\n\t"
        "loop 1b\n"
        "2:\n\t"
        "call *%%ebx\n\t"
        "movl %%esi, %%edx\n\t"
        "subl %%esp, %%edx\n\t"
        "movl 12(%%esi), %%esp\n\t"
        : "=a"(result), "=d"(leftOver), "+c"(count)
        : "b"(function), "D"(first)
        : "esi", "memory", "cc");
    return {result, leftOver};
}

uint32_t Arg(const void* pointer) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer)); }

TEST(EngineExports32, EachExportTakesItsOwnArgumentsOffTheStack) {
    HMODULE library = LoadLibraryExW(BuiltEngine().c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    ASSERT_NE(library, nullptr) << "GetLastError " << GetLastError();
    auto call = [&](const char* name, const std::vector<uint32_t>& args) {
        FARPROC function = GetProcAddress(library, name);
        EXPECT_NE(function, nullptr) << name << " is exported under its plain name";
        if (!function) return Answer{0, 0};
        Answer answer = CallMeasured(function, args);
        EXPECT_EQ(answer.leftOver, 0u) << name << " left " << answer.leftOver << " bytes of arguments";
        return answer;
    };

    // Before XL_Init every call refuses, with and without arguments.
    EngineTaskInfo info{};
    EXPECT_EQ(call("XL_QueryTaskInfoEx", {0, Arg(&info)}).result, 0u);
    EXPECT_EQ(call("XL_CreateTask", {0}).result, 0u);

    ASSERT_EQ(call("XL_Init", {}).result, 1u);
    auto params = std::make_unique<EngineTaskParams>();
    std::u16string url = u"http://127.0.0.1:9/none.gho", name = u"none.gho", folder = u"C:\\";
    url.copy(params->url, url.size());
    name.copy(params->fileName, name.size());
    folder.copy(params->folder, folder.size());
    uint32_t task = call("XL_CreateTask", {Arg(params.get())}).result;
    ASSERT_NE(task, 0u);
    // Both arguments arrive where the callee looks for them: the handle it gave
    // out first, the record to fill second.
    EXPECT_EQ(call("XL_QueryTaskInfoEx", {task, Arg(&info)}).result, 1u);
    EXPECT_EQ(info.status, kStatusCreated);
    EXPECT_EQ(FieldText(info.fileName, kPathUnits), name);
    call("XL_StopTask", {task});
    call("XL_StartTask", {0});
    EXPECT_EQ(call("XL_DeleteTask", {task}).result, 1u);
    EXPECT_EQ(call("XL_UnInit", {}).result, 1u);
    FreeLibrary(library);
}

}  // namespace
}  // namespace qnb::engine
