#include "platform/file_names.h"

#include <gtest/gtest.h>

namespace qnb {
namespace {

TEST(OutsideNames, WhatMayNameAFileOfTheWorkspace) {
    struct Case {
        std::string name;
        NameProblem problem;
    };
    const Case cases[] = {
        {"win10_x64.gho", NameProblem::kNone},
        {"Windows 10 专业版.iso", NameProblem::kNone},
        {"..", NameProblem::kDots},
        {".", NameProblem::kDots},
        {"", NameProblem::kEmpty},
        {"CON", NameProblem::kDevice},
        {"con", NameProblem::kDevice},
        {"com1.iso", NameProblem::kDevice},
        {"LPT9.tar.gz", NameProblem::kDevice},
        {"nul .txt", NameProblem::kDevice},
        {"COM\xC2\xB9.iso", NameProblem::kDevice},
        {"CONOUT$", NameProblem::kDevice},
        {"com10.iso", NameProblem::kNone},
        {"console.iso", NameProblem::kNone},
        {"a.iso.", NameProblem::kTrailingDotOrBlank},
        {"a.iso ", NameProblem::kTrailingDotOrBlank},
        {"a:b", NameProblem::kColon},
        {"win10.gho:hidden", NameProblem::kColon},
        {"..\\SETTING.JSON", NameProblem::kSeparator},
        {"a/b.iso", NameProblem::kSeparator},
        {"a\tb.iso", NameProblem::kControl},
        {"a?b.iso", NameProblem::kControl},
        {"SETTING.JSON", NameProblem::kOwnFile},
        {"setting.json", NameProblem::kOwnFile},
        {"Download.json", NameProblem::kOwnFile},
        {"QNBReinstaller.EXE", NameProblem::kOwnFile},
        {"请勿删除！关于本文件夹的说明.txt", NameProblem::kOwnFile},
        {"win10.gho.qnbdl.ctl", NameProblem::kOwnFile},
        {std::string(201, 'a'), NameProblem::kTooLong},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckOutsideName(c.name), c.problem) << c.name;
}

TEST(OutsideNames, AnUnusableNameIsReplacedByTheSameSafeOneEveryTime) {
    EXPECT_EQ(SafeOutsideName("win10.gho", "http://a/win10.gho"), "win10.gho");
    std::string com = SafeOutsideName("com1.iso", "http://a/com1.iso");
    EXPECT_EQ(com.substr(0, 9), "download-");
    EXPECT_EQ(com.substr(com.size() - 4), ".iso") << "a plain extension stays";
    EXPECT_EQ(CheckOutsideName(com), NameProblem::kNone);
    EXPECT_EQ(SafeOutsideName("com1.iso", "http://a/com1.iso"), com);
    EXPECT_NE(SafeOutsideName("com1.iso", "http://b/com1.iso"), com) << "another address, another name";
    for (const char* bad : {"..", "SETTING.JSON", "a.iso.", "x.qnbdl", "a:b"}) {
        std::string safe = SafeOutsideName(bad, bad);
        EXPECT_EQ(CheckOutsideName(safe), NameProblem::kNone) << bad << " -> " << safe;
    }
}

}  // namespace
}  // namespace qnb
