#include "net/service_answers.h"

#include <gtest/gtest.h>

#include <vector>

namespace qnb::net {
namespace {

std::string Entry(const std::string& fields) { return "{" + fields + "}"; }
std::string List(const std::vector<std::string>& entries, const std::string& groups = "[]") {
    std::string text = "{\"list\": [";
    for (size_t i = 0; i < entries.size(); ++i) text += (i ? "," : "") + entries[i];
    return text + "], \"group\": " + groups + "}";
}

const std::string kWin10x64 = Entry(
    R"("url": "http://img.example/10x64.wim", "name": "Windows 10 64位 专业版", "des": "推荐",
       "size": "4294967296", "date": "1554336000", "imagetype": 64, "brecommend": true, "groupid": 1)");
const std::string kWin10x86 = Entry(R"("name": "Windows 10 32位", "imagetype": 32, "brecommend": false, "groupid": 1)");
const std::string kWin7x64 = Entry(R"("name": "Windows 7 64位", "imagetype": 4, "brecommend": true, "groupid": 2)");

std::vector<bool> Selected(const Catalogue& c) {
    std::vector<bool> out;
    for (const CatalogueEntry& e : c.entries) out.push_back(e.selected);
    return out;
}

TEST(CatalogueAnswer, FieldsOfAnEntry) {
    auto c = ParseCatalogue(List({kWin10x86, kWin10x64}, R"([{"id": 1, "name": "Windows 10 系统"}, {"id": 2}])"), 64);
    ASSERT_TRUE(c);
    ASSERT_EQ(c->entries.size(), 2u);
    const CatalogueEntry& e = c->entries[1];
    EXPECT_EQ(e.index, 1);
    EXPECT_EQ(e.url, "http://img.example/10x64.wim#size=4294967296") << "the size travels with the address";
    EXPECT_EQ(e.name, "Windows 10 64位 专业版");
    EXPECT_EQ(e.des, "推荐");
    EXPECT_EQ(e.size, int64_t{4} << 30) << "ten digits, beyond 32 bits";
    EXPECT_EQ(e.date, 1554336000);
    EXPECT_EQ(e.imagetype, 64);
    EXPECT_TRUE(e.brecommend);
    EXPECT_EQ(e.groupid, 1);
    // Missing keys read as "", 0 and false.
    const CatalogueEntry& sparse = c->entries[0];
    EXPECT_EQ(sparse.url, "");
    EXPECT_EQ(sparse.size, 0);
    EXPECT_EQ(sparse.date, 0);
    ASSERT_EQ(c->groups.size(), 2u);
    EXPECT_EQ(c->groups[0].id, 1);
    EXPECT_EQ(c->groups[0].name, "Windows 10 系统");
    EXPECT_EQ(c->groups[1].id, 2);
    EXPECT_EQ(c->groups[1].name, "");
}

TEST(CatalogueAnswer, TheServicesHashTravelsWithTheAddress) {
    const std::string hash = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    struct Case {
        std::string fields;
        std::string url;
    };
    const Case cases[] = {
        {R"("url": "http://img.example/a.wim", "size": "12", "sha256": ")" + hash + "\"",
         "http://img.example/a.wim#sha256=" + hash + "&size=12"},
        {R"("url": "http://img.example/a.wim", "sha256": ")" + std::string(64, 'F') + "\"",
         "http://img.example/a.wim#sha256=" + std::string(64, 'f')},
        {R"("url": "http://img.example/a.wim#sha256=00")", "http://img.example/a.wim"},  // not the service's key
        {R"("sha256": ")" + hash + "\"", ""},  // no address to carry it
    };
    for (const Case& c : cases) {
        auto catalogue = ParseCatalogue(List({Entry(c.fields)}), 64);
        ASSERT_TRUE(catalogue) << c.fields;
        EXPECT_EQ(catalogue->entries[0].url, c.url) << c.fields;
    }
}

TEST(CatalogueAnswer, RecommendedEntriesForThisMachineStartSelected) {
    std::string answer = List({kWin10x86, kWin10x64, kWin7x64});
    EXPECT_EQ(Selected(*ParseCatalogue(answer, 64)), (std::vector<bool>{false, true, false})) << "Windows 10 64-bit";
    EXPECT_EQ(Selected(*ParseCatalogue(answer, 32)), (std::vector<bool>{false, false, false}))
        << "Windows 10 32-bit: its entry is not recommended";
    EXPECT_EQ(Selected(*ParseCatalogue(answer, 4)), (std::vector<bool>{false, false, true})) << "Windows 7 64-bit";
    EXPECT_EQ(Selected(*ParseCatalogue(List({kWin7x64, kWin10x64, kWin7x64}), 4)),
              (std::vector<bool>{true, false, true}))
        << "two recommended entries for the machine: both";
    const std::string typeZero = Entry(R"("name": "?", "imagetype": 0, "brecommend": true, "groupid": 1)");
    EXPECT_EQ(Selected(*ParseCatalogue(List({typeZero, kWin7x64}), 0)), (std::vector<bool>{false, false}))
        << "a Windows of type code 0 gets nothing preselected, whatever an entry's type says";
}

TEST(CatalogueAnswer, AnswersThatCountAsFailed) {
    struct Case {
        const char* what;
        std::string answer;
    } cases[] = {
        {"empty", ""},
        {"not JSON", "<html>502 Bad Gateway</html>"},
        {"cut short", R"({"list": [{"name": )"},
        {"no list", R"({"group": []})"},
        {"empty list", List({})},
        {"list not an array", R"({"list": {"name": "x"}})"},
        {"root an array", "[1, 2]"},
        {"entry not an object", List({"42"})},
        {"size as a number", List({Entry(R"("size": 1024)")})},
        {"size not a number", List({Entry(R"("size": "12abc")")})},
        {"size negative", List({Entry(R"("size": "-5")")})},
        {"size beyond 64 bits", List({Entry(R"("size": "99999999999999999999")")})},
        {"imagetype as a string", List({Entry(R"("imagetype": "64")")})},
        {"brecommend as a string", List({Entry(R"("brecommend": "true")")})},
        {"brecommend as a number", List({Entry(R"("brecommend": 1)")})},
        {"name as a number", List({Entry(R"("name": 7)")})},
        {"groupid beyond 32 bits", List({Entry(R"("groupid": 4294967296)")})},
        {"group not an array", List({kWin10x64}, "{}")},
        {"group id as a string", List({kWin10x64}, R"([{"id": "1"}])")},
        {"nesting deeper than the reader goes", std::string(5000, '[') + std::string(5000, ']')},
        {"a hash of other than 64 hex digits", List({Entry(R"("url": "http://a/b", "sha256": "abc")")})},
        {"a hash as a number", List({Entry(R"("sha256": 5)")})},
        {"larger than an answer may be", List({Entry("\"des\": \"" + std::string(5 << 20, 'a') + "\"")})},
    };
    for (const Case& c : cases) EXPECT_FALSE(ParseCatalogue(c.answer, 64)) << c.what;
}

TEST(CatalogueAnswer, TextsAreValidUtf8) {
    auto c = ParseCatalogue(List({Entry("\"name\": \"Win\xFF\xFE 10\"")}), 64);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->entries[0].name, "Win\xEF\xBF\xBD\xEF\xBF\xBD 10");
}

TEST(PackageAnswer, OnlyAnAddressToDownloadFromIsTaken) {
    const std::string hash = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    struct Case {
        std::string answer;
        std::string url;
    };
    const Case cases[] = {
        {"http://pe.example/TessalyPE.wim", "http://pe.example/TessalyPE.wim"},
        {"https://pe.example/TessalyPE.wim#sha256=" + hash + "\r\n", "https://pe.example/TessalyPE.wim#sha256=" + hash},
        {"  http://pe.example/TessalyPE 2.wim\n", "http://pe.example/TessalyPE 2.wim"},
        {"http://pe.example/pe.wim#sha256=12345", ""},
        {"file:///C:/Windows/System32/config/SAM", ""},
        {"\\\\attacker\\share\\pe.wim", ""},
        {"http://pe.example/pe.wim\r\nhttp://other.example/", ""},
        {"http://pe.example/\xE6\x96\xB0.wim", ""},
        {"http://pe.example/" + std::string(3000, 'a'), ""},
        {"<html>502 Bad Gateway</html>", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(PackageUrlFromAnswer(c.answer), c.url) << c.answer.substr(0, 60);
}

TEST(UpdateAnswerParse, Cases) {
    struct Case {
        const char* answer;
        UpdateAnswer result;
        UpdateInfo info;
    } cases[] = {
        {"", UpdateAnswer::kEmpty, {}},
        {"not json", UpdateAnswer::kUnparsable, {}},
        {"[true]", UpdateAnswer::kUnparsable, {}},
        {R"({"status": false, "must": true, "description": "d", "url": "u", "vername": "v"})", UpdateAnswer::kAnswered,
         {}},
        {R"({})", UpdateAnswer::kAnswered, {}},
        {R"({"status": true, "must": true, "description": "修复问题", "url": "http://w.example/", "vername": "2.0"})",
         UpdateAnswer::kAnswered, {true, true, "修复问题", "http://w.example/", "2.0"}},
        {R"({"status": true})", UpdateAnswer::kAnswered, {true, false, "", "", ""}},
        {R"({"status": "true"})", UpdateAnswer::kUnparsable, {}},
        {R"({"status": true, "must": 1})", UpdateAnswer::kUnparsable, {}},
        {R"({"status": true, "vername": 2})", UpdateAnswer::kUnparsable, {}},
        {R"({"status": false, "vername": 2})", UpdateAnswer::kAnswered, {}},
    };
    for (const Case& c : cases) {
        UpdateInfo info;
        info.vername = "untouched";
        UpdateAnswer result = ParseUpdate(c.answer, &info);
        EXPECT_EQ(result, c.result) << c.answer;
        if (result != UpdateAnswer::kAnswered) {
            EXPECT_EQ(info.vername, "untouched") << c.answer;
            continue;
        }
        EXPECT_EQ(info.status, c.info.status) << c.answer;
        EXPECT_EQ(info.must, c.info.must) << c.answer;
        EXPECT_EQ(info.description, c.info.description) << c.answer;
        EXPECT_EQ(info.url, c.info.url) << c.answer;
        EXPECT_EQ(info.vername, c.info.vername) << c.answer;
    }
}

}  // namespace
}  // namespace qnb::net
