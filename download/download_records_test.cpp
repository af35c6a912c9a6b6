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
        {"[1, 2]", 0},
        {"{\"count\": 1, \"list\": [", 0},
        {"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseDownloadRecords(c.json).size(), c.entries) << c.json;
}

}  // namespace
}  // namespace qnb
