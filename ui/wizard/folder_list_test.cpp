// The folder list with the program's own row layout, natively.
#include "ui/wizard/folder_list.h"

#include "uikit/test_support/fake_host.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace qnb::ui {
namespace {

class ListFactory : public uikit::IControlFactory {
public:
    std::unique_ptr<uikit::CControlUI> CreateControl(std::string_view tag) override {
        return CFolderList::IsElement(tag) ? std::make_unique<CFolderList>() : nullptr;
    }
};

std::string SkinFile(const std::string& name) {
    std::ifstream in(std::string(QNB_SOURCE_DIR) + "/skin/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The delete button of row i.
uikit::CControlUI* DeleteOf(CFolderList& list, int i) { return uikit::ControlTree::FindIn(list.GetItemAt(i), "delete"); }

TEST(FolderList, RowsKeepTheirOrderAndTheSameFolderMayStandTwice) {
    ListFactory factory;
    uikit::testing::TestWindow w(R"(<Window size="580,300"><folderlist name="folder_list"/></Window>)", &factory);
    w.host.layouts[CFolderList::kRowLayout] = SkinFile(CFolderList::kRowLayout);
    auto* list = w.Get<CFolderList>("folder_list");
    ASSERT_NE(list, nullptr) << "the element's name in any case";
    for (const char* folder : {"C:\\Users\\me\\Pictures", "C:\\工作", "C:\\Users\\me\\Pictures", "C:\\"}) {
        ASSERT_TRUE(list->AddFolder(folder));
    }
    EXPECT_EQ(list->Folders(),
              (std::vector<std::string>{"C:\\Users\\me\\Pictures", "C:\\工作", "C:\\Users\\me\\Pictures", "C:\\"}));
    ASSERT_TRUE(list->RemoveRowOf(DeleteOf(*list, 1)));
    EXPECT_EQ(list->Folders(), (std::vector<std::string>{"C:\\Users\\me\\Pictures", "C:\\Users\\me\\Pictures", "C:\\"}));
    ASSERT_TRUE(list->RemoveRowOf(DeleteOf(*list, 2)));
    ASSERT_TRUE(list->RemoveRowOf(DeleteOf(*list, 0)));
    EXPECT_EQ(list->Folders(), std::vector<std::string>{"C:\\Users\\me\\Pictures"});
    EXPECT_FALSE(list->RemoveRowOf(list)) << "only a control inside a row removes one";
    EXPECT_EQ(list->GetCount(), 1);
}

TEST(FolderList, ARowIsFortyPixelsHighWithItsPathBesideTheButton) {
    ListFactory factory;
    uikit::testing::TestWindow w(R"(<Window size="580,300"><folderlist name="folder_list"/></Window>)", &factory);
    w.host.layouts[CFolderList::kRowLayout] = SkinFile(CFolderList::kRowLayout);
    auto* list = w.Get<CFolderList>("folder_list");
    ASSERT_TRUE(list->AddFolder(std::string("C:\\") + std::string(200, 'x')));
    w.tree.LayoutIfNeeded();
    EXPECT_EQ(list->GetItemAt(0)->GetPos().Height(), 40);
    uikit::CControlUI* path = uikit::ControlTree::FindIn(list->GetItemAt(0), "folderpath");
    ASSERT_NE(path, nullptr);
    uikit::ControlState icon;
    uikit::ControlTree::FindIn(list->GetItemAt(0), "itemicon")->DescribeState(&icon);
    EXPECT_EQ(icon.bkimage, "folderico.png");
    EXPECT_LE(path->GetPos().right, DeleteOf(*list, 0)->GetPos().left) << "the path never runs under the button";
}

}  // namespace
}  // namespace qnb::ui
