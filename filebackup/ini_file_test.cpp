#include "filebackup/ini_file.h"

#include <gtest/gtest.h>

namespace qnb {
namespace {

TEST(IniFile, ReadsAsTheProfileFunctionsDo) {
    const IniFile ini(
        "; QQ's settings\r\n"
        "[Other]\r\n"
        "UserDataSavePath=C:\\wrong\r\n"
        "  [ userdataset ]  \r\n"
        "userdatasavepathtype = 1 \r\n"
        "UserDataSavePath = \"D:\\QQ Data\\\"  \r\n"
        "UserDataSavePath=D:\\second\r\n"
        "Quoted='single'\n"
        "Unbalanced=\"only one\n"
        "Empty=\n"
        "NoEquals\n"
        "Signed=-12abc\n"
        "Blank=   \n");
    struct Case {
        const char* key;
        const char* text;  // nullptr: missing
    };
    const Case cases[] = {
        {"UserDataSavePath", "D:\\QQ Data\\"},
        {"USERDATASAVEPATHTYPE", "1"},
        {"Quoted", "single"},
        {"Unbalanced", "\"only one"},
        {"Empty", ""},
        {"NoEquals", nullptr},
        {"Missing", nullptr},
    };
    for (const Case& c : cases) {
        std::optional<std::string> text = ini.Text("UserDataSet", c.key);
        if (c.text) {
            EXPECT_EQ(text.value_or("<missing>"), c.text) << c.key;
        } else {
            EXPECT_FALSE(text) << c.key;
        }
    }
    EXPECT_FALSE(ini.Text("Missing", "UserDataSavePath"));
    EXPECT_EQ(ini.Number("UserDataSet", "UserDataSavePathType", 7), 1);
    EXPECT_EQ(ini.Number("UserDataSet", "Signed", 7), -12);
    EXPECT_EQ(ini.Number("UserDataSet", "Quoted", 7), 0) << "no digits";
    EXPECT_EQ(ini.Number("UserDataSet", "Empty", 7), 7);
    EXPECT_EQ(ini.Number("UserDataSet", "Blank", 7), 7);
    EXPECT_EQ(ini.Number("UserDataSet", "Missing", 7), 7);
}

TEST(IniFile, DecodesItsEncoding) {
    const std::string utf8 = "\xEF\xBB\xBF[S]\nPath=E:\\聊天记录\n";
    const std::string ansi = "[S]\r\nPath=E:\\\xC1\xC4\xCC\xEC\xBC\xC7\xC2\xBC\r\n";  // GBK
    std::string utf16 = "\xFF\xFE";
    for (char16_t c : std::u16string(u"[S]\r\nPath=E:\\聊天记录\r\n")) {
        utf16.push_back(static_cast<char>(c & 0xFF));
        utf16.push_back(static_cast<char>(c >> 8));
    }
    for (const std::string& bytes : {utf8, ansi, utf16}) {
        EXPECT_EQ(IniFile(bytes).Text("S", "Path").value_or("<missing>"), "E:\\聊天记录");
    }
    EXPECT_EQ(IniFile(utf16.substr(0, utf16.size() - 1)).Text("S", "Path").value_or("<missing>"), "E:\\聊天记录")
        << "an odd last byte is dropped";
}

}  // namespace
}  // namespace qnb
