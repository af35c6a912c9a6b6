// The system page in the wizard's layout, natively: the catalogue's groups
// and rows, the loading and error views, the stored choice, and the local
// image choice with scripted dialogs.
#include "ui/wizard/page1.h"

#include "app/test_support/machine_fixture.h"
#include "images/iso_inspection.h"
#include "ui/wizard/test_support/wizard_tree.h"
#include "uikit/controls/checkbox.h"
#include "uikit/controls/tab_layout.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <deque>

namespace qnb::ui {
namespace {

using qnb::test::MachineFixture;
using qnb::test::MachineJson;

class ScriptedChooser : public LocalImageChooser {
public:
    std::optional<std::string> PickImageFile() override {
        ++picked;
        if (files.empty()) return std::nullopt;
        std::optional<std::string> file = files.front();
        files.pop_front();
        return file;
    }
    images::IsoChoice ChooseIso(const std::string& isoPath) override {
        isos.push_back(isoPath);
        return isoAnswer;
    }
    std::deque<std::optional<std::string>> files;
    images::IsoChoice isoAnswer;
    std::vector<std::string> isos;
    int picked = 0;
};

CatalogueEntry Entry(int index, int group, int32_t type, bool recommended) {
    CatalogueEntry e;
    e.index = index;
    e.url = "http://img.example/" + std::to_string(index) + ".wim";
    e.name = "系统 " + std::to_string(index);
    e.size = 8 << 20;
    e.imagetype = type;
    e.brecommend = recommended;
    e.groupid = group;
    return e;
}

class SystemPage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders()));
        ASSERT_EQ(context.OsTypeCode(), 64);
        w.Get<uikit::CTabLayoutUI>("install_main_tab")->SelectItem(1);
        page.Init(w.tree);
        w.pump.AddVirtualWnd(CPage1::kVirtualWnd, &page);
    }
    // The service's answer: as its parser leaves it, recommended entries for this PC selected.
    void Answer(std::vector<CatalogueEntry> entries, std::vector<CatalogueGroup> groups) {
        for (CatalogueEntry& e : entries) e.selected = e.brecommend && e.imagetype == context.OsTypeCode();
        context.SetCatalogue(std::move(entries), std::move(groups));
    }
    void FourInTwoGroups() {
        Answer({Entry(0, 1, 64, false), Entry(1, 2, 4, false), Entry(2, 1, 64, true), Entry(3, 2, 2, false)},
               {{"Windows 10 系统", 1}, {"Windows 7 系统", 2}});
    }
    uikit::CControlUI* Row(int row, const char* name) const {
        return uikit::ControlTree::FindIn(page.List()->GetItemAt(row), name);
    }
    std::vector<bool> Checks() const {
        std::vector<bool> checks;
        for (int i = 0; i < page.List()->GetCount(); ++i) {
            checks.push_back(dynamic_cast<uikit::CCheckBoxUI*>(Row(i, "check_sys"))->GetCheck());
        }
        return checks;
    }
    std::vector<std::string> GroupTexts() const {
        std::vector<std::string> texts;
        auto* groups = w.Get<uikit::CContainerUI>("sys_img_groups");
        for (int i = 0; i < groups->GetCount(); ++i) texts.push_back(groups->GetItemAt(i)->GetText());
        return texts;
    }
    uikit::CControlUI* Group(int i) const { return w.Get<uikit::CContainerUI>("sys_img_groups")->GetItemAt(i); }
    bool LocalOptionChecked() const { return w.Get<uikit::COptionUI>("option_sys_local_img")->IsSelected(); }
    Json::Value Setting() {
        Json::Value root;
        EXPECT_TRUE(Json::Reader().parse(machine.ReadFile("D:\\Quenbrook\\Data\\SETTING.JSON"), root));
        return root;
    }

    MachineFixture machine{MachineJson("one-disk-c-d")};
    AppContext context;
    ScriptedChooser chooser;
    test::WizardTree w;
    CPage1 page{context, chooser};
};

TEST_F(SystemPage, WithoutACatalogueTheLoadingViewThenFromTheTwelfthFillTheErrorView) {
    std::vector<std::string> views;
    for (int fill = 1; fill <= 13; ++fill) {
        EXPECT_EQ(page.Fill(), 0);
        views.push_back(w.Visible("sys_loading") ? "loading" : w.Visible("load_error") ? "error" : "?");
        EXPECT_FALSE(w.Visible("sys_list"));
    }
    EXPECT_EQ(std::vector<std::string>(views.begin(), views.begin() + 11), std::vector<std::string>(11, "loading"));
    EXPECT_EQ(views[11], "error") << "the 12th empty fill";
    EXPECT_EQ(views[12], "error");
    EXPECT_EQ(w.Text("btn_sys_retry"), "点击重试");
    EXPECT_FALSE(w.Enabled("btn_next"));

    w.Click("btn_sys_retry");
    EXPECT_EQ(page.EmptyFills(), 0);
    EXPECT_TRUE(w.Visible("sys_loading"));
    EXPECT_FALSE(w.Visible("load_error"));
    page.Fill();
    EXPECT_TRUE(w.Visible("sys_loading")) << "counting from the retry";
}

TEST_F(SystemPage, GroupsAndTheRecommendedRowFirstAndChecked) {
    FourInTwoGroups();
    EXPECT_EQ(page.Fill(), 2);
    EXPECT_EQ(GroupTexts(), (std::vector<std::string>{"Windows 10 系统", "Windows 7 系统"}));
    EXPECT_TRUE(dynamic_cast<uikit::COptionUI*>(Group(0))->IsSelected());
    EXPECT_EQ(Group(0)->GetFixedWidth(), 160);
    EXPECT_EQ(page.CurrentGroup(), 1);
    EXPECT_TRUE(w.Visible("sys_list"));
    EXPECT_FALSE(w.Visible("sys_loading") || w.Visible("load_error"));
    EXPECT_EQ(page.List()->RowMap(), (std::vector<int>{2, 0}));
    EXPECT_EQ(Checks(), (std::vector<bool>{true, false}));
    EXPECT_TRUE(Row(0, "tip")->IsOwnVisible());
    EXPECT_TRUE(w.Enabled("btn_next")) << "the first fill with images enables Next";
    EXPECT_TRUE(page.ListShown());
}

TEST_F(SystemPage, OfSeveralRecommendedEntriesTheTopRowIsTheChoice) {
    Answer({Entry(0, 1, 64, true), Entry(1, 1, 64, false), Entry(2, 1, 64, true)}, {{"Windows 10 系统", 1}});
    EXPECT_EQ(page.Fill(), 3);
    EXPECT_EQ(page.List()->RowMap(), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(Checks(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(page.List()->SelectedEntry(), 2);
    EXPECT_EQ(context.SelectedImageUrl(), "http://img.example/2.wim") << "what is downloaded is the checked row";
    int selected = 0;
    for (const CatalogueEntry& e : context.CatalogueEntriesOfGroup(-1)) selected += e.selected ? 1 : 0;
    EXPECT_EQ(selected, 1);
}

TEST_F(SystemPage, AChosenRowIsCheckedAgainAfterAGroupSwitch) {
    FourInTwoGroups();
    page.Fill();
    w.Click(Group(1));
    EXPECT_EQ(page.CurrentGroup(), 2);
    EXPECT_EQ(page.List()->RowMap(), (std::vector<int>{1, 3}));
    EXPECT_EQ(Checks(), (std::vector<bool>{false, false})) << "the chosen image is in the other group";
    w.Click(Row(1, "check_sys"));
    EXPECT_EQ(context.SelectedImageUrl(), "http://img.example/3.wim");
    EXPECT_EQ(Checks(), (std::vector<bool>{false, true}));
    w.Click(Row(1, "check_sys"));
    EXPECT_EQ(Checks(), (std::vector<bool>{false, true})) << "a second click leaves the box checked";
    w.Click(Row(0, "itemname"));
    EXPECT_EQ(context.SelectedImageUrl(), "http://img.example/1.wim") << "a click on the row chooses it too";
    EXPECT_EQ(Checks(), (std::vector<bool>{true, false}));

    w.Click(Group(0));
    EXPECT_EQ(Checks(), (std::vector<bool>{false, false}));
    w.Click(Group(1));
    EXPECT_EQ(Checks(), (std::vector<bool>{true, false})) << "the stored choice shows again";
    EXPECT_EQ(page.List()->SelectedEntry(), 1);
    EXPECT_FALSE(Setting()["bLocalImage"].asBool());
}

TEST_F(SystemPage, AnEmptyGroupShowsItsViewAndKeepsTheGroupRow) {
    Answer({Entry(0, 1, 64, true)}, {{"Windows 10 系统", 1}, {"其他系统", 3}});
    page.Fill();
    w.Click(Group(1));
    EXPECT_TRUE(w.Visible("sys_loading"));
    EXPECT_FALSE(w.Visible("sys_list"));
    EXPECT_EQ(GroupTexts().size(), 2u) << "the group row stays";
    w.Click(Group(0));
    EXPECT_TRUE(w.Visible("sys_list"));
}

TEST_F(SystemPage, ACatalogueWithoutGroupsListsEveryEntry) {
    Answer({Entry(0, 1, 64, false), Entry(1, 2, 4, false)}, {});
    EXPECT_EQ(page.Fill(), 2);
    EXPECT_TRUE(GroupTexts().empty());
    EXPECT_EQ(page.CurrentGroup(), -1);
}

TEST_F(SystemPage, ACancelledLocalImageChoiceChangesNothing) {
    FourInTwoGroups();
    page.Fill();
    const std::string before = machine.ReadFile("D:\\Quenbrook\\Data\\SETTING.JSON");
    w.Click("option_sys_local_img");
    EXPECT_EQ(chooser.picked, 1);
    EXPECT_FALSE(LocalOptionChecked());
    EXPECT_EQ(context.SelectedImageUrl(), "http://img.example/2.wim") << "not the catalogue's first entry";
    EXPECT_EQ(machine.ReadFile("D:\\Quenbrook\\Data\\SETTING.JSON"), before);
    EXPECT_EQ(Checks(), (std::vector<bool>{true, false}));
}

TEST_F(SystemPage, ALocalImageIsStoredInUpperCaseAndACatalogueRowTakesOver) {
    FourInTwoGroups();
    page.Fill();
    chooser.files = {"d:\\镜像\\win7.gho"};
    w.Click("option_sys_local_img");
    EXPECT_TRUE(LocalOptionChecked());
    EXPECT_TRUE(Setting()["bLocalImage"].asBool());
    EXPECT_EQ(context.Handoff().imagePath, "D:\\镜像\\WIN7.GHO");
    EXPECT_TRUE(chooser.isos.empty()) << "a GHO needs no image choice";
    EXPECT_EQ(Checks(), (std::vector<bool>{false, false}));

    // An ISO whose image choice is cancelled: the GHO stays the choice.
    chooser.files = {"D:\\win10.iso"};
    chooser.isoAnswer = {images::kIsoCancelled, false, 0};
    w.Click("option_sys_local_img");
    EXPECT_EQ(chooser.isos, std::vector<std::string>{"D:\\WIN10.ISO"});
    EXPECT_EQ(context.Handoff().imagePath, "D:\\镜像\\WIN7.GHO");
    EXPECT_TRUE(LocalOptionChecked());

    chooser.files = {"D:\\win10.iso"};
    chooser.isoAnswer = {images::kIsoAccepted, true, 3};
    w.Click("option_sys_local_img");
    EXPECT_EQ(Setting()["strImagePath"].asString(), "D:\\WIN10.ISO");
    EXPECT_EQ(Setting()["nWIMPart"].asInt(), 3);
    EXPECT_TRUE(LocalOptionChecked());

    w.Click(Row(1, "check_sys"));
    EXPECT_FALSE(Setting()["bLocalImage"].asBool());
    EXPECT_FALSE(LocalOptionChecked());
    EXPECT_EQ(context.SelectedImageUrl(), "http://img.example/0.wim");
}

TEST(LocalImagePath, AnIsoWhenItsFirstDotIsoEndsThePath) {
    EXPECT_TRUE(IsIsoImagePath("D:\\WIN10.ISO"));
    EXPECT_FALSE(IsIsoImagePath("D:\\WIN10.ISO.GHO"));
    EXPECT_FALSE(IsIsoImagePath("D:\\A.ISO\\WIN10.ISO")) << "the first occurrence counts";
    EXPECT_FALSE(IsIsoImagePath("D:\\WIN10.GHO"));
}

}  // namespace
}  // namespace qnb::ui
