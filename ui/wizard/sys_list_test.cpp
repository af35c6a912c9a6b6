// The catalogue list with the program's row layout, natively.
#include "ui/wizard/sys_list.h"

#include "ui/wizard/test_support/wizard_tree.h"
#include "uikit/controls/checkbox.h"

#include <gtest/gtest.h>

namespace qnb::ui {
namespace {

CatalogueEntry Entry(int index, int32_t type, bool recommended, bool selected = false) {
    CatalogueEntry e;
    e.index = index;
    e.url = "http://img.example/" + std::to_string(index) + ".wim";
    e.name = "系统 " + std::to_string(index);
    e.des = "说明 " + std::to_string(index);
    e.size = 1073741825;
    e.date = 1554336000 + 12 * 3600;
    e.imagetype = type;
    e.brecommend = recommended;
    e.selected = selected;
    return e;
}

uikit::CControlUI* In(CSysListUI& list, int row, const char* name) {
    return uikit::ControlTree::FindIn(list.GetItemAt(row), name);
}

bool Checked(CSysListUI& list, int row) {
    auto* box = dynamic_cast<uikit::CCheckBoxUI*>(In(list, row, "check_sys"));
    return box && box->GetCheck();
}

std::vector<bool> Badges(CSysListUI& list) {
    std::vector<bool> badges;
    for (int i = 0; i < list.GetCount(); ++i) badges.push_back(In(list, i, "tip")->IsOwnVisible());
    return badges;
}

TEST(SysList, RecommendedRowsGoFirstInReverseOrderWithTheirBadge) {
    test::WizardTree w;
    auto* list = w.Get<CSysListUI>("sys_list");
    ASSERT_NE(list, nullptr) << "the element's name in any case";
    for (const CatalogueEntry& e : {Entry(0, 64, true), Entry(1, 32, true), Entry(2, 64, false), Entry(3, 64, true),
                                    Entry(4, 4, false)}) {
        ASSERT_TRUE(list->AddEntry(e, 64));
    }
    EXPECT_EQ(list->RowMap(), (std::vector<int>{3, 0, 1, 2, 4}));
    EXPECT_EQ(Badges(*list), (std::vector<bool>{true, true, false, false, false}));
    EXPECT_EQ(In(*list, 0, "itemname")->GetText(), "系统 3");
    EXPECT_EQ(In(*list, 0, "size")->GetText(), "1.0GB");
    EXPECT_EQ(In(*list, 0, "itemdes")->GetText(), "说明 3");
    EXPECT_EQ(In(*list, 0, "date")->GetText(), "2019-04-04");
    EXPECT_EQ(list->SelectedEntry(), -1);
}

TEST(SysList, APcOfTypeZeroGetsNoBadge) {
    test::WizardTree w;
    auto* list = w.Get<CSysListUI>("sys_list");
    for (const CatalogueEntry& e : {Entry(0, 64, true), Entry(1, 0, true), Entry(2, 4, true)}) list->AddEntry(e, 0);
    EXPECT_EQ(list->RowMap(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Badges(*list), (std::vector<bool>{false, false, false}));
}

TEST(SysList, TheSelectedRowStaysSelectedWhenARecommendedOneGoesAboveIt) {
    test::WizardTree w;
    auto* list = w.Get<CSysListUI>("sys_list");
    list->AddEntry(Entry(0, 4, false), 64);
    list->AddEntry(Entry(1, 32, false, /*selected=*/true), 64);
    list->AddEntry(Entry(2, 64, true), 64);
    list->AddEntry(Entry(3, 64, true), 64);
    EXPECT_EQ(list->RowMap(), (std::vector<int>{3, 2, 0, 1}));
    EXPECT_EQ(list->GetCurSel(), 3);
    EXPECT_EQ(list->SelectedEntry(), 1);
    EXPECT_TRUE(Checked(*list, 3));
    EXPECT_FALSE(Checked(*list, 0) || Checked(*list, 1) || Checked(*list, 2));
}

TEST(SysList, ASelectionIsNotShownWhileALocalImageIsTheChoice) {
    test::WizardTree w;
    auto* list = w.Get<CSysListUI>("sys_list");
    list->AddEntry(Entry(0, 64, true, true), 64, /*showSelection=*/false);
    EXPECT_FALSE(Checked(*list, 0));
    EXPECT_EQ(list->GetCurSel(), -1);
    list->CheckOnly(0);
    EXPECT_TRUE(Checked(*list, 0));
    list->RemoveAllRows();
    EXPECT_EQ(list->GetCount(), 0);
    EXPECT_TRUE(list->RowMap().empty());
}

}  // namespace
}  // namespace qnb::ui
