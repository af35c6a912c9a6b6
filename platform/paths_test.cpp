#include "platform/paths.h"

#include <gtest/gtest.h>

namespace qnb::paths {
namespace {

TEST(Paths, SplitsIntoFolderFileNameAndExtension) {
    struct Case { std::string_view path, folder, name, extension; };
    const Case cases[] = {
        {"C:\\QNB\\win7.iso", "C:\\QNB\\", "win7.iso", ".iso"},
        {"win7.iso", "", "win7.iso", ".iso"},                     // no backslash: a bare name
        {"C:\\QNB\\", "C:\\QNB\\", "", ""},                       // a folder
        {"C:\\", "C:\\", "", ""},
        {"", "", "", ""},
        {"\\\\server\\share\\a.b", "\\\\server\\share\\", "a.b", ".b"},
        {"C:/QNB/win7.iso", "", "C:/QNB/win7.iso", ".iso"},       // "/" is not a separator by default
        {"C:\\a.d\\name", "C:\\a.d\\", "name", ""},               // a dot in the folder is no extension
        {"C:\\pkg.tar.gz", "C:\\", "pkg.tar.gz", ".gz"},
        {"C:\\name.", "C:\\", "name.", "."},
        {"C:\\.profile", "C:\\", ".profile", ".profile"},
        {"D:\\重装\\系统镜像.GHO", "D:\\重装\\", "系统镜像.GHO", ".GHO"},
        {"C:\\a\\\\b", "C:\\a\\\\", "b", ""},                      // a doubled separator stays in the folder
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Folder(c.path), c.folder) << c.path;
        EXPECT_EQ(FileName(c.path), c.name) << c.path;
        EXPECT_EQ(Extension(c.path), c.extension) << c.path;
        EXPECT_EQ(std::string(Folder(c.path)) + std::string(FileName(c.path)), c.path) << c.path;
    }
}

TEST(Paths, EitherSlashSplitsAtTheLastOfBoth) {
    struct Case { std::string_view path, folder, name; };
    const Case cases[] = {
        {"C:/QNB/win7.iso", "C:/QNB/", "win7.iso"},
        {"C:\\QNB/sub\\a.x", "C:\\QNB/sub\\", "a.x"},
        {"C:\\QNB\\sub/a.x", "C:\\QNB\\sub/", "a.x"},
        {"a.x", "", "a.x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Folder(c.path, kEitherSlash), c.folder) << c.path;
        EXPECT_EQ(FileName(c.path, kEitherSlash), c.name) << c.path;
    }
    EXPECT_EQ(Extension("C:\\a.b/c", kEitherSlash), "");
    EXPECT_EQ(Extension("C:\\a.b/c"), ".b/c");  // with "\" alone, "a.b/c" is one name
}

TEST(Paths, PutsOneSeparatorBetweenFolderAndName) {
    struct Case { std::string_view folder, name, joined, withSeparator; };
    const Case cases[] = {
        {"C:\\QNB", "a.json", "C:\\QNB\\a.json", "C:\\QNB\\"},
        {"C:\\QNB\\", "a.json", "C:\\QNB\\a.json", "C:\\QNB\\"},
        {"", "a.json", "a.json", ""},                              // the current folder
        {"C:", "a", "C:\\a", "C:\\"},
        {"C:\\QNB/", "a", "C:\\QNB/\\a", "C:\\QNB/\\"},            // "/" does not count by default
        {"D:\\重装", "镜像", "D:\\重装\\镜像", "D:\\重装\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Join(c.folder, c.name), c.joined) << c.folder;
        EXPECT_EQ(WithTrailingSeparator(c.folder), c.withSeparator) << c.folder;
    }
    EXPECT_EQ(WithTrailingSeparator("C:\\QNB/", kEitherSlash), "C:\\QNB/");
    EXPECT_EQ(WithTrailingSeparator("C:\\QNB", kEitherSlash), "C:\\QNB\\");
}

TEST(Paths, DropsOneTrailingSeparator) {
    struct Case { std::string_view path, without; };
    const Case cases[] = {
        {"C:\\QNB\\", "C:\\QNB"}, {"C:\\QNB", "C:\\QNB"}, {"C:\\", "C:"},
        {"C:\\QNB\\\\", "C:\\QNB\\"}, {"\\", ""}, {"", ""}, {"C:\\QNB/", "C:\\QNB/"},
    };
    for (const Case& c : cases) EXPECT_EQ(WithoutTrailingSeparator(c.path), c.without) << c.path;
}

}  // namespace
}  // namespace qnb::paths
