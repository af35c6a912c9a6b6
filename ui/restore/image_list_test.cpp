// The image list with the program's own row layout, natively.
#include "ui/restore/image_list.h"

#include "uikit/test_support/fake_host.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace qnb::ui {
namespace {

class ListFactory : public uikit::IControlFactory {
public:
    std::unique_ptr<uikit::CControlUI> CreateControl(std::string_view tag) override {
        return CXImageList::IsElement(tag) ? std::make_unique<CXImageList>() : nullptr;
    }
};

std::string SkinFile(const std::string& name) {
    std::ifstream in(std::string(QNB_SOURCE_DIR) + "/skin/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ImageList, RowsOf35PixelsInOrderWithTheirTexts) {
    ListFactory factory;
    uikit::testing::TestWindow w(R"(<Window size="360,300"><BiList name="list_backup_image"/></Window>)", &factory);
    w.host.layouts[CXImageList::kRowLayout] = SkinFile(CXImageList::kRowLayout);
    auto* list = w.Get<CXImageList>("list_backup_image");
    ASSERT_NE(list, nullptr) << "the element's name in any case";
    for (const char* text : {"2016年05月03日", "2016年05月03日 (1)", "2016年05月04日"}) ASSERT_TRUE(list->AddImage(text));
    EXPECT_EQ(list->Texts(), (std::vector<std::string>{"2016年05月03日", "2016年05月03日 (1)", "2016年05月04日"}));
    w.tree.LayoutIfNeeded();
    for (int i = 0; i < list->GetCount(); ++i) EXPECT_EQ(list->GetItemAt(i)->GetPos().Height(), 35) << i;
    EXPECT_EQ(list->GetItemAt(1)->GetPos().top, list->GetItemAt(0)->GetPos().bottom);
    EXPECT_TRUE(list->SelectItem(2));
    EXPECT_EQ(list->GetCurSel(), 2);
    EXPECT_TRUE(list->SelectItem(-1, false));
    EXPECT_EQ(list->GetCurSel(), -1) << "no row selected";
}

}  // namespace
}  // namespace qnb::ui
