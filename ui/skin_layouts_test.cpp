// The shipped layouts build without problems, have every control the
// windows look up (of the kind they expect), and name only pictures the
// skin has.
#include "ui/guide_steps.h"
#include "ui/xprogress.h"
#include "uikit/core/builder.h"
#include "uikit/core/layout_document.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace qnb::ui {
namespace {

std::set<std::string> SkinPictures() {
    std::set<std::string> pictures;
    std::stringstream list(QNB_SKIN_PICTURES);
    std::string name;
    while (std::getline(list, name, ',')) pictures.insert(name);
    return pictures;
}

std::string ReadLayout(const std::string& file) {
    std::ifstream in(std::string(QNB_SOURCE_DIR) + "/skin/" + file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ProgramControls : public uikit::IControlFactory {
public:
    std::unique_ptr<uikit::CControlUI> CreateControl(std::string_view tag) override {
        return tag == CXProgressUI::kElement ? std::make_unique<CXProgressUI>() : nullptr;
    }
};

void CollectPictures(const uikit::AttributeList& attributes, std::vector<std::string>* files) {
    for (const auto& [name, value] : attributes) {
        if (name.size() < 5 || name.compare(name.size() - 5, 5, "image") != 0) continue;
        auto spec = uikit::ParseImage(value);
        if (spec && !spec->IsEmpty()) files->push_back(spec->file);
    }
}

void CollectPictures(const uikit::LayoutNode& node, std::vector<std::string>* files) {
    CollectPictures(node.attributes, files);
    for (const auto& child : node.children) CollectPictures(child, files);
}

struct Expected {
    const char* layout;
    std::vector<std::pair<const char*, const char*>> controls;  // name, kind
};

TEST(SkinLayouts, BuildCleanlyWithTheControlsTheWindowsUse) {
    const Expected windows[] = {
        {"MainDlg.xml",
         {{"btn_minsize", "Button"}, {"btn_close", "Button"}, {"btn_menu", "Button"}, {"btn_install", "Button"},
          {"btn_backup", "Button"}, {"btn_restore", "Button"}, {"site", "Button"}, {"course", "Button"},
          {"feetback", "Button"}, {"about", "Button"}, {"update", "Button"}, {"lab_needupdate", "Label"},
          {"cur_ver", "Label"}, {"new_ver", "Label"}}},
        {"menu.xml",
         {{"btn_update", "Button"}, {"btn_jiaocheng", "Button"}, {"btn_feetback", "Button"}, {"btn_site", "Button"},
          {"btn_about", "Button"}}},
        {"waring.xml", {{"btn_iknow", "Button"}, {"btn_how", "Button"}}},
        {"ShowPictrue.xml",
         {{"pic_tab", "TabLayout"}, {"image_layout", "VerticalLayout"}, {"pedownload_progress", "CXProgress"},
          {"btn_reboot", "Button"}, {"btn_cancle", "Button"}}},
        {"LostFile.xml", {{"msg1", "Label"}, {"msg2", "Label"}, {"btn_ok", "Button"}, {"btn_how", "Button"}}},
        {"GuideToCloseSafe.xml",
         {{"tab_main", "TabLayout"}, {"page_main", "VerticalLayout"}, {"page_guide", "VerticalLayout"},
          {"guide_step", "Container"}, {"btn_next", "Button"}, {"btn_close", "Button"}, {"begin", "Button"},
          {"option_360safe", "Option"}, {"option_360sd", "Option"}, {"option_definder", "Option"},
          {"option_qqpcmgr", "Option"}, {"option_duba", "Option"}}},
    };
    std::set<std::string> pictures = SkinPictures();
    ASSERT_TRUE(pictures.count("logo.png")) << "the picture list reads";
    ProgramControls factory;
    for (const Expected& window : windows) {
        SCOPED_TRACE(window.layout);
        uikit::LayoutDocument document;
        std::string error;
        ASSERT_TRUE(uikit::ParseLayout(ReadLayout(window.layout), &document, &error)) << error;
        uikit::CDialogBuilder builder(document.defaults, &factory);
        std::unique_ptr<uikit::CControlUI> root = builder.Build(document.root);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(builder.Problems(), std::vector<std::string>{});
        for (const auto& [name, kind] : window.controls) {
            uikit::CControlUI* found = nullptr;
            root->Visit([&, name = std::string(name)](uikit::CControlUI& c) {
                if (!found && c.GetName() == name) found = &c;
            });
            ASSERT_NE(found, nullptr) << name;
            EXPECT_EQ(found->GetClass(), kind) << name;
        }
        std::vector<std::string> files;
        CollectPictures(document.root, &files);
        for (const auto& d : document.defaults) CollectPictures(d.attributes, &files);
        for (const std::string& file : files) EXPECT_TRUE(pictures.count(file)) << file << " is not in the skin";
    }
}

TEST(SkinLayouts, PicturesTheWindowsSetExist) {
    std::set<std::string> pictures = SkinPictures();
    std::vector<std::string> used = {"ver1.png", "ver12.png", "waring.png"};
    for (const ProductInfo& product : GuideProducts()) {
        used.push_back(product.picture);
        GuideSteps steps;
        steps.Choose(product.code);
        for (int i = 0; i < product.stepCount; ++i, steps.Next()) {
            std::string picture = steps.Show().picture;
            ASSERT_EQ(picture.rfind("skin/", 0), 0u);
            used.push_back(picture.substr(5));
        }
    }
    for (const std::string& file : used) EXPECT_TRUE(pictures.count(file)) << file << " is not in the skin";
}

}  // namespace
}  // namespace qnb::ui
