#include "app/handoff_file.h"

#include "app/test_support/fresh_setting.h"
#include "platform/text.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <vector>

namespace qnb {
namespace {

HandoffValues FreshMachine() {
    HandoffValues v;
    v.selDisk = 0;
    v.selPar = 1;
    return v;
}

TEST(HandoffRender, FreshMachineBytes) {
    EXPECT_EQ(RenderHandoff(FreshMachine()), test::FreshSetting(0, 1, true));
}

TEST(HandoffRender, SameLayoutAsJsoncppsStyledWriter) {
    HandoffValues v = FreshMachine();
    v.imagePath = "win10_x64.gho";
    v.localPeUrl = "http://dl.example/pe/TessalyPE.wim?v=3&x=\"q\"";
    v.option = 2;
    v.wimPart = 4;
    v.qqLogFolder = "12345678";
    v.sameDisk = false;
    v.showedNote = true;
    Json::Value root;
    Json::Reader().parse(RenderHandoff(v), root);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    std::string styled = Json::StyledWriter().write(root);
#pragma GCC diagnostic pop
    EXPECT_EQ(RenderHandoff(v), text::ToCrLf(styled));
}

TEST(HandoffRender, TextsAreRawAnsiBytes) {
    HandoffValues v = FreshMachine();
    v.imagePath = "D:\\镜像\\系统.iso";
    std::string file = RenderHandoff(v);
    // GBK bytes as they are, backslashes escaped as JSON wants.
    EXPECT_NE(file.find("\"strImagePath\" : \"D:\\\\\xBE\xB5\xCF\xF1\\\\\xCF\xB5\xCD\xB3.iso\""), std::string::npos)
        << file;
    EXPECT_EQ(file.find("\\u"), std::string::npos);
}

TEST(HandoffRender, RepartitionGroupReplacesTheTarget) {
    HandoffValues v = FreshMachine();
    v.repart = true;
    v.repartDisk = 1;
    v.repartScript = "select disk 1";
    std::string file = RenderHandoff(v);
    EXPECT_NE(file.find("\"nRepartDisk\" : 1,"), std::string::npos);
    EXPECT_NE(file.find("\"strRepartScript\" : \"select disk 1\"\r\n}"), std::string::npos);
    EXPECT_NE(file.find("\"bRepartGPT\" : false,"), std::string::npos);
    EXPECT_EQ(file.find("nSelDisk"), std::string::npos);
    EXPECT_EQ(file.find("nSelPar"), std::string::npos);
}

TEST(HandoffLoad, TakesOverWhatSurvivesARun) {
    HandoffValues earlier = FreshMachine();
    earlier.selDisk = 2;
    earlier.selPar = 3;
    earlier.imagePath = "x.gho";
    earlier.localImage = true;
    earlier.wimPart = 5;
    earlier.sameDisk = false;
    earlier.option = 0;
    earlier.qqLogFolder = "q";
    earlier.localPeUrl = "http://pe.example/新.wim";
    earlier.showedNote = true;

    HandoffValues v;  // as the inventory and the defaults left it
    v.selDisk = 0;
    v.selPar = 1;
    v.imagePath = "now.gho";
    v.localImage = true;
    v.wimPart = 2;
    ASSERT_TRUE(ApplyEarlierHandoff(RenderHandoff(earlier), v));
    EXPECT_EQ(v.selDisk, 2);
    EXPECT_EQ(v.selPar, 3);
    EXPECT_EQ(v.imagePath, "") << "the image choice never survives a run";
    EXPECT_FALSE(v.localImage);
    EXPECT_EQ(v.wimPart, 0);
    EXPECT_FALSE(v.sameDisk);
    EXPECT_EQ(v.option, -1) << "not read";
    EXPECT_EQ(v.qqLogFolder, "") << "not read";
    EXPECT_EQ(v.localPeUrl, "http://pe.example/新.wim");
    EXPECT_TRUE(v.showedNote);
}

TEST(HandoffLoad, RepartitionFileKeepsTheInventorysTarget) {
    HandoffValues v = FreshMachine();
    ASSERT_TRUE(ApplyEarlierHandoff(
        R"({"bRepart": true, "nRepartDisk": 1, "strRepartScript": "s", "bRepartGPT": true, "nSelDisk": 7})", v));
    EXPECT_TRUE(v.repart);
    EXPECT_EQ(v.repartDisk, 1);
    EXPECT_EQ(v.repartScript, "s");
    EXPECT_TRUE(v.repartGpt);
    EXPECT_EQ(v.selDisk, 0);
    std::string next = RenderHandoff(v);
    EXPECT_NE(next.find("\"nRepartDisk\" : 1"), std::string::npos);
    EXPECT_EQ(next.find("nSelDisk"), std::string::npos);
}

TEST(HandoffLoad, MissingKeysReadAsNull) {
    HandoffValues v = FreshMachine();
    v.localPeUrl = "kept?";
    ASSERT_TRUE(ApplyEarlierHandoff("{}", v));
    EXPECT_FALSE(v.repart);
    EXPECT_EQ(v.selDisk, 0);
    EXPECT_EQ(v.selPar, 0) << "a missing nSelPar reads as 0";
    EXPECT_FALSE(v.sameDisk);
    EXPECT_EQ(v.localPeUrl, "");
}

TEST(HandoffLoad, FilesThatDoNotParseChangeNothing) {
    std::vector<std::string> files = {"", "{\"bRepart\": fal", "[1, 2]", "\"text\""};
    files.push_back(std::string(5000, '[') + std::string(5000, ']'));  // nesting deeper than the reader allows
    files.push_back("{\"LocalPeUrl\": \"" + std::string(5 << 20, 'a') + "\"}");  // larger than such a file is
    for (const std::string& file : files) {
        HandoffValues v = FreshMachine();
        v.imagePath = "chosen";
        EXPECT_FALSE(ApplyEarlierHandoff(file, v)) << file.substr(0, 40);
        EXPECT_EQ(v.imagePath, "chosen") << file.substr(0, 40);
        EXPECT_EQ(v.selPar, 1) << file.substr(0, 40);
    }
}

// An earlier version, or a hand, may have written other JSON types: they
// are read as the JSON library converts them, key by key, and a key it
// cannot convert reads as a missing one.
TEST(HandoffLoad, ValuesAreReadWithTheLibrarysConversions) {
    struct Case {
        const char* file;
        bool repart;
        int selDisk, selPar;
        bool sameDisk;
        const char* peUrl;
    };
    const Case cases[] = {
        {R"({"bRepart": 1, "nRepartDisk": 1, "strRepartScript": "s", "bRepartGPT": 0})", true, 0, 1, false, ""},
        {R"({"bRepart": "yes", "nSelDisk": 2, "nSelPar": 3})", false, 2, 3, false, ""},
        {R"({"nSelDisk": "0", "nSelPar": 1.5, "bSameDisk": 1})", false, 0, 1, true, ""},
        {R"({"nSelDisk": 1, "nSelPar": 2, "LocalPeUrl": 5})", false, 1, 2, false, "5"},
        {R"({"nSelDisk": true, "nSelPar": 2, "LocalPeUrl": {"a": 1}, "bShowedNote": []})", false, 1, 2, false, ""},
    };
    for (const Case& c : cases) {
        HandoffValues v = FreshMachine();
        ASSERT_TRUE(ApplyEarlierHandoff(c.file, v)) << c.file;
        EXPECT_EQ(v.repart, c.repart) << c.file;
        if (!c.repart) {
            EXPECT_EQ(v.selDisk, c.selDisk) << c.file;
            EXPECT_EQ(v.selPar, c.selPar) << c.file;
        }
        EXPECT_EQ(v.sameDisk, c.sameDisk) << c.file;
        EXPECT_EQ(v.localPeUrl, c.peUrl) << c.file;
    }
}

TEST(HandoffLoad, ARepartitionRequestIsTakenWholeOrNotAtAll) {
    const char* incomplete[] = {
        R"({"bRepart": true, "strRepartScript": "s", "bRepartGPT": false})",
        R"({"bRepart": true, "nRepartDisk": "1", "strRepartScript": "s", "bRepartGPT": false})",
        R"({"bRepart": true, "nRepartDisk": 1, "strRepartScript": [], "bRepartGPT": false})",
        R"({"bRepart": true, "nRepartDisk": 1, "strRepartScript": "s", "bRepartGPT": "no"})",
    };
    for (const char* file : incomplete) {
        HandoffValues v = FreshMachine();
        ASSERT_TRUE(ApplyEarlierHandoff(file, v)) << file;
        EXPECT_FALSE(v.repart) << file;
        EXPECT_EQ(v.selDisk, 0) << file << ": the inventory's target stays";
        EXPECT_EQ(v.selPar, 1) << file;
    }
}

}  // namespace
}  // namespace qnb
