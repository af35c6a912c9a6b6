#include "ui/security_products.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

namespace qnb::ui {
namespace {

// The plain texts the build scrambled, read from their source list.
std::map<std::string, std::string> Signatures() {
    std::ifstream in(QNB_SOURCE_DIR "/ui/security_signatures.txt");
    std::map<std::string, std::string> texts;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        size_t eq = line.find(" = ");
        if (eq != std::string::npos) texts[line.substr(0, eq)] = line.substr(eq + 3);
    }
    return texts;
}

class FakeProbe : public SecurityProbe {
public:
    std::optional<uint32_t> ReadDword(const std::string& key, const std::string& value) override {
        asked.push_back("dword " + key + " " + value);
        auto it = dwords.find(key + "|" + value);
        return it == dwords.end() ? std::nullopt : std::optional<uint32_t>(it->second);
    }
    std::optional<std::string> ReadText(const std::string& key, const std::string& value, size_t) override {
        asked.push_back("text " + key + " " + value);
        auto it = texts.find(key + "|" + value);
        return it == texts.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    std::optional<std::string> ReadClassesDefault(const std::string& key) override {
        asked.push_back("classes " + key);
        auto it = classes.find(key);
        return it == classes.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    bool Exists(const std::string& path) override { return files.count(path) > 0; }
    std::string ProgramFiles() override { return "C:\\Program Files\\"; }
    std::vector<DirectoryEntry> List(const std::string& folder) override {
        auto it = folders.find(folder);
        return it == folders.end() ? std::vector<DirectoryEntry>() : it->second;
    }
    std::optional<std::vector<std::string>> ProcessNames() override {
        ++snapshots;
        return processes;
    }
    std::optional<bool> ServiceRunning(const std::string& name) override {
        asked.push_back("service " + name);
        return defender;
    }
    int OsTypeCode() override { return os; }

    std::map<std::string, uint32_t> dwords;
    std::map<std::string, std::string> texts;
    std::map<std::string, std::string> classes;
    std::set<std::string> files;
    std::map<std::string, std::vector<DirectoryEntry>> folders;
    std::optional<std::vector<std::string>> processes = std::vector<std::string>{"explorer.exe"};
    std::optional<bool> defender;
    int os = 64;
    std::vector<std::string> asked;
    int snapshots = 0;
};

constexpr uint32_t kFolder = kFileAttributeDirectory;

TEST(Scrambling, TheRuntimeLibrarysGenerator) {
    RuntimeRandom random(1);
    std::vector<int> first;
    for (int i = 0; i < 5; ++i) first.push_back(random.Next());
    EXPECT_EQ(first, (std::vector<int>{41, 18467, 6334, 26500, 19169}));
    // "abc" raised by 41, 18467 (0x23 mod 256) and 6334 (0xBE mod 256).
    const char stored[] = {char('a' + 41), char(('b' + 18467) & 0xFF), char(('c' + 6334) & 0xFF), 0};
    EXPECT_EQ(Unscramble({1, stored}), "abc");
}

TEST(Detectors, LookForTheTextsOfTheSignatureList) {
    auto s = Signatures();
    ASSERT_FALSE(s["k360Key"].empty()) << "the list reads";
    FakeProbe probe;
    Detect360(probe);
    DetectDuba(probe);
    DetectQq(probe);
    EXPECT_EQ(probe.asked, (std::vector<std::string>{
                               "dword " + s["k360Key"] + " SiteAccess",
                               "text " + s["kDubaKey"] + " Path",
                               "text " + s["kQqKey"] + " ExeString",
                               "classes " + s["kQqClassesKey"],
                           }));
}

TEST(Detectors, EachWayOfFindingAProduct) {
    auto s = Signatures();
    std::string pf = "C:\\Program Files\\";
    struct Case {
        const char* what;
        std::function<void(FakeProbe&)> setUp;
        bool (*detect)(SecurityProbe&);
        bool present;
    } cases[] = {
        {"nothing", [](FakeProbe&) {}, Detect360, false},
        {"360 key", [&](FakeProbe& p) { p.dwords[s["k360Key"] + "|SiteAccess"] = 0; }, Detect360, true},
        {"360 process, any case", [&](FakeProbe& p) { p.processes->push_back("ZHUDONGFANGYU.EXE"); }, Detect360, true},
        {"no snapshot", [&](FakeProbe& p) { p.processes.reset(); }, Detect360, false},
        {"duba key", [&](FakeProbe& p) { p.texts[s["kDubaKey"] + "|Path"] = "C:\\x"; }, DetectDuba, true},
        {"duba marker in its folder",
         [&](FakeProbe& p) { p.folders[pf + s["kDubaFolder"] + "\\"] = {{s["kDubaMarker"], 0x20}}; }, DetectDuba, true},
        {"duba marker in a sub-folder",
         [&](FakeProbe& p) {
             p.folders[pf + s["kDubaFolder"] + "\\"] = {{"antivirus", kFolder}};
             p.files.insert(pf + s["kDubaFolder"] + "\\antivirus\\" + s["kDubaMarker"]);
         },
         DetectDuba, true},
        {"duba folder without the marker",
         [&](FakeProbe& p) { p.folders[pf + s["kDubaFolder"] + "\\"] = {{"antivirus", kFolder}, {"readme.txt", 0}}; },
         DetectDuba, false},
        {"duba process", [&](FakeProbe& p) { p.processes->push_back(s["kDubaProcess2"]); }, DetectDuba, true},
        {"QQ key with its program",
         [&](FakeProbe& p) {
             p.texts[s["kQqKey"] + "|ExeString"] = "C:\\QQ\\QQPCTray.exe";
             p.files.insert("C:\\QQ\\QQPCTray.exe");
         },
         DetectQq, true},
        {"QQ key whose program is gone",
         [&](FakeProbe& p) { p.texts[s["kQqKey"] + "|ExeString"] = "C:\\QQ\\QQPCTray.exe"; }, DetectQq, false},
        {"QQ classes key",
         [&](FakeProbe& p) {
             p.classes[s["kQqClassesKey"]] = "D:\\QQPCMgr";
             p.files.insert("D:\\QQPCMgr");
         },
         DetectQq, true},
        {"QQ marker in a sub-folder",
         [&](FakeProbe& p) {
             p.folders[pf + s["kQqFolder"] + "\\"] = {{"QQPCMgr", kFolder}};
             p.files.insert(pf + s["kQqFolder"] + "\\QQPCMgr\\" + s["kQqMarker"]);
         },
         DetectQq, true},
        {"QQ marker not in a sub-folder",
         [&](FakeProbe& p) { p.folders[pf + s["kQqFolder"] + "\\"] = {{s["kQqMarker"], 0x20}}; }, DetectQq, false},
        {"QQ process", [&](FakeProbe& p) { p.processes->push_back(s["kQqProcess1"]); }, DetectQq, true},
        {"Defender running on Windows 10", [](FakeProbe& p) { p.defender = true; }, DetectDefender, true},
        {"Defender stopped", [](FakeProbe& p) { p.defender = false; }, DetectDefender, false},
        {"Defender service not reachable", [](FakeProbe&) {}, DetectDefender, false},
        {"Defender on Windows 7",
         [](FakeProbe& p) {
             p.defender = true;
             p.os = 4;
         },
         DetectDefender, false},
        {"Defender on 32-bit Windows 10",
         [](FakeProbe& p) {
             p.defender = true;
             p.os = 32;
         },
         DetectDefender, true},
    };
    for (const Case& c : cases) {
        FakeProbe probe;
        c.setUp(probe);
        EXPECT_EQ(c.detect(probe), c.present) << c.what;
    }
}

TEST(Detectors, ThreeAreAskedOnceDefenderEveryTime) {
    FakeProbe probe;
    probe.processes->push_back("360tray.exe");
    probe.defender = true;
    SecurityDetector detector(probe);
    EXPECT_EQ(detector.DetectSecurityProducts(), 1 | 2 | 16);
    int snapshots = probe.snapshots;
    probe.processes = std::vector<std::string>{"kxetray.exe"};
    probe.defender = false;
    EXPECT_EQ(detector.DetectSecurityProducts(), 1 | 2) << "kept results; Defender asked again";
    EXPECT_EQ(probe.snapshots, snapshots);
    EXPECT_TRUE(detector.IsPresent(2));
    EXPECT_FALSE(detector.IsPresent(8));
    EXPECT_FALSE(detector.IsPresent(0));
}

}  // namespace
}  // namespace qnb::ui
