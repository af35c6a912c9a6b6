#include "download/download_records.h"

#include <gtest/gtest.h>

namespace qnb {
namespace {

TEST(DownloadRecords, StyledLayoutWithAnsiBytes) {
    std::string bytes = RenderDownloadRecords(
        {{"http://img.example/win10.gho", "E:\\Quenbrook\\Data\\win10.gho"},
         {"http://img.example/系统.iso", "E:\\Quenbrook\\Data\\系统.iso"}});
    EXPECT_EQ(bytes,
              "{\r\n"
              "   \"count\" : 2,\r\n"
              "   \"list\" : \r\n"
              "   [\r\n"
              "      {\r\n"
              "         \"file\" : \"E:\\\\Quenbrook\\\\Data\\\\win10.gho\",\r\n"
              "         \"url\" : \"http://img.example/win10.gho\"\r\n"
              "      },\r\n"
              "      {\r\n"
              "         \"file\" : \"E:\\\\Quenbrook\\\\Data\\\\\xCF\xB5\xCD\xB3.iso\",\r\n"
              "         \"url\" : \"http://img.example/\xCF\xB5\xCD\xB3.iso\"\r\n"
              "      }\r\n"
              "   ]\r\n"
              "}\r\n");
    auto back = ParseDownloadRecords(bytes);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].url, "http://img.example/系统.iso");
    EXPECT_EQ(back[1].file, "E:\\Quenbrook\\Data\\系统.iso");
}

TEST(DownloadRecords, TheHashAndSizeOfAVerifiedDownloadGoRoundTheFile) {
    CompletedDownload done{"http://img.example/win10.gho", "E:\\Quenbrook\\Data\\win10.gho",
                           "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", 5368709120};
    std::string bytes = RenderDownloadRecords({done});
    EXPECT_NE(bytes.find("\"size\" : 5368709120"), std::string::npos) << bytes;
    auto back = ParseDownloadRecords(bytes);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].sha256, done.sha256);
    EXPECT_EQ(back[0].size, done.size);
    std::string upper = R"({"count": 1, "list": [{"url": "http://a/x", "file": "D:\\x", "sha256": ")" +
                        std::string(64, 'A') + R"("}]})";
    ASSERT_EQ(ParseDownloadRecords(upper).size(), 1u);
    EXPECT_EQ(ParseDownloadRecords(upper)[0].sha256, std::string(64, 'a'));
}

TEST(DownloadRecords, HostileFilesYieldOnlyTheSoundEntries) {
    const std::string good = R"({"url": "http://a/x.gho", "file": "D:\\Q\\x.gho"})";
    struct Case { std::string json; size_t entries; };
    const Case cases[] = {
        {R"({"count": 5, "list": [)" + good + "]}", 1},              // count larger than the list
        {R"({"count": 1, "list": [)" + good + "," + good + "]}", 1},  // count smaller
        {R"({"count": -1, "list": [)" + good + "]}", 0},
        {R"({"count": "1", "list": [)" + good + "]}", 0},
        {R"({"count": 1, "list": {"a": 1}})", 0},
        {R"({"count": 2, "list": [{"url": 5, "file": "D:\\x"}, )" + good + "]}", 1},
        {R"({"count": 1, "list": [{"url": "http://a/x", "file": "\\\\server\\share\\x"}]})", 0},  // not a drive path
        {R"({"count": 1, "list": [{"url": "", "file": "D:\\x"}]})", 0},
        {R"({"count": 1, "list": [{"url": "http://a/x", "file": "D:\\)" + std::string(300, 'a') + R"("}]})", 0},
        {R"({"count": 1, "list": [7]})", 0},
        {R"({"count": 1, "list": [{"url": "http://a/x", "file": "D:\\x", "sha256": "abc"}]})", 0},
        {R"({"count": 1, "list": [{"url": "http://a/x", "file": "D:\\x", "size": -1}]})", 0},
        {R"({"count": 1, "list": [{"url": "http://a/x", "file": "D:\\x", "size": "12"}]})", 0},
        {std::string(5000, '[') + std::string(5000, ']'), 0},  // deeper than the library's own limit
        {"[1, 2]", 0},
        {"{\"count\": 1, \"list\": [", 0},
        {"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseDownloadRecords(c.json).size(), c.entries) << c.json;
}

}  // namespace
}  // namespace qnb
