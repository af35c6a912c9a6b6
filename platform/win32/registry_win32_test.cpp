// The registry adapter on a real (Wine) registry: values written under
// HKCU the way other programs store them, read back.
#include "platform/text.h"
#include "platform/win32/handles.h"
#include "platform/win32/registry_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

namespace qnb::win32 {
namespace {

const char kKey[] = "Software\\QnbTests\\Registry";

class Win32RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, text::Wide(kKey).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        key_.reset(key);
    }
    void TearDown() override {
        key_.reset();
        RegDeleteKeyW(HKEY_CURRENT_USER, text::Wide(kKey).c_str());
    }
    // Exactly these bytes, as a careless writer may store them.
    void Set(const char* name, DWORD type, const void* data, size_t size) {
        ASSERT_EQ(RegSetValueExW(key_.get(), text::Wide(name).c_str(), 0, type, static_cast<const BYTE*>(data),
                                 static_cast<DWORD>(size)),
                  ERROR_SUCCESS);
    }
    void SetText(const char* name, DWORD type, const std::wstring& text, size_t bytes) {
        Set(name, type, text.c_str(), bytes);
    }

    Win32Registry registry;
    UniqueRegistryKey key_;
};

TEST_F(Win32RegistryTest, StringsAsStored) {
    const std::wstring text = L"重装 value";
    const std::wstring longText(100000, L'长');
    const std::wstring expand = L"%SystemRoot%\\system32";
    const std::wstring embedded(L"before\0after", 12);
    SetText("terminated", REG_SZ, text, (text.size() + 1) * 2);
    SetText("unterminated", REG_SZ, text, text.size() * 2);
    SetText("odd", REG_SZ, text, text.size() * 2 + 1);
    SetText("long", REG_SZ, longText, (longText.size() + 1) * 2);
    SetText("expand", REG_EXPAND_SZ, expand, (expand.size() + 1) * 2);
    SetText("embedded", REG_SZ, embedded, embedded.size() * 2);
    SetText("empty", REG_SZ, L"", 0);
    struct Case {
        const char* value;
        std::string expected;
    };
    const Case cases[] = {
        {"terminated", "重装 value"},
        {"unterminated", "重装 value"},
        {"odd", "重装 value"},
        {"long", text::Narrow(longText)},
        {"expand", "%SystemRoot%\\system32"},
        {"embedded", "before"},
        {"empty", ""},
    };
    for (const Case& c : cases) {
        Result<std::string> read = registry.ReadString(RegistryRoot::kCurrentUser, kKey, c.value);
        ASSERT_TRUE(read) << c.value << ": " << read.failure().Describe();
        EXPECT_EQ(*read, c.expected) << c.value;
    }
}

TEST_F(Win32RegistryTest, NumbersAndWhatIsNotThere) {
    const DWORD number = 0xDEADBEEF;
    const std::wstring text = L"7";
    Set("number", REG_DWORD, &number, sizeof number);
    Set("binary", REG_BINARY, &number, sizeof number);
    SetText("text", REG_SZ, text, (text.size() + 1) * 2);
    EXPECT_EQ(registry.ReadNumber(RegistryRoot::kCurrentUser, kKey, "number").value(), 0xDEADBEEFu);

    struct Case {
        const char* key;
        const char* value;
        bool number;
        DWORD code;
    };
    const Case cases[] = {
        {kKey, "binary", true, ERROR_DATATYPE_MISMATCH},
        {kKey, "text", true, ERROR_DATATYPE_MISMATCH},
        {kKey, "number", false, ERROR_DATATYPE_MISMATCH},
        {kKey, "missing", false, ERROR_FILE_NOT_FOUND},
        {"Software\\QnbTests\\Missing", "number", true, ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        Status status = c.number ? registry.ReadNumber(RegistryRoot::kCurrentUser, c.key, c.value).status()
                                 : registry.ReadString(RegistryRoot::kCurrentUser, c.key, c.value).status();
        ASSERT_FALSE(status) << c.value;
        EXPECT_EQ(status.failure().code, c.code) << c.value;
        EXPECT_EQ(status.failure().where, std::string("HKCU\\") + c.key + "\\" + c.value);
    }
}

TEST_F(Win32RegistryTest, AKeyOpensWithoutValues) {
    EXPECT_TRUE(registry.OpenKey(RegistryRoot::kCurrentUser, kKey)) << "no values in it yet";
    Status missing = registry.OpenKey(RegistryRoot::kCurrentUser, "Software\\QnbTests\\Missing");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.failure().code, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(missing.failure().where, "HKCU\\Software\\QnbTests\\Missing\\");
}

TEST_F(Win32RegistryTest, TheMachineRootIsHklm) {
    Result<std::string> root =
        registry.ReadString(RegistryRoot::kLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot");
    ASSERT_TRUE(root) << root.failure().Describe();
    wchar_t windows[MAX_PATH + 1];
    UINT length = GetWindowsDirectoryW(windows, MAX_PATH + 1);
    EXPECT_EQ(CompareStringOrdinal(text::Wide(*root).c_str(), -1, windows, static_cast<int>(length), TRUE), CSTR_EQUAL)
        << *root;
}

}  // namespace
}  // namespace qnb::win32
