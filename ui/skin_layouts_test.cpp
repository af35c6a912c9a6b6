// The shipped layouts, read as the windows read them (global.xml first),
// build without problems, have every control the windows look up (of the
// kind they expect), name only pictures the skin has, and use font ids
// that mean one font in every window.
#include "ui/guide_steps.h"
#include "ui/restore/image_list.h"
#include "ui/wizard/folder_list.h"
#include "ui/wizard/sys_list.h"
#include "ui/wizard/wizard_steps.h"
#include "ui/xprogress.h"
#include "uikit/core/attribute_values.h"
#include "uikit/core/builder.h"
#include "uikit/core/container.h"
#include "uikit/core/control_tree.h"
#include "uikit/core/layout_document.h"
#include "uikit/core/skin_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace qnb::ui {
namespace {

std::vector<std::string> List(const char* commaSeparated) {
    std::vector<std::string> names;
    std::stringstream list(commaSeparated);
    std::string name;
    while (std::getline(list, name, ',')) names.push_back(name);
    return names;
}

std::set<std::string> SkinPictures() {
    std::vector<std::string> names = List(QNB_SKIN_PICTURES);
    return {names.begin(), names.end()};
}

// The files of skin/ under the entry names the program's archive gives them.
class SourceSkin {
public:
    const std::string_view* Find(std::string_view name) {
        auto it = files_.find(name);
        if (it == files_.end()) {
            if (name.substr(0, 5) != "skin/") return nullptr;
            std::ifstream in(std::string(QNB_SOURCE_DIR) + "/" + std::string(name), std::ios::binary);
            if (!in) return nullptr;
            std::stringstream text;
            text << in.rdbuf();
            it = files_.emplace(std::string(name), File{text.str(), {}}).first;
            it->second.view = it->second.bytes;
        }
        return &it->second.view;
    }
    uikit::SkinLookup Lookup() {
        return [this](std::string_view name) { return Find(name); };
    }

private:
    struct File {
        std::string bytes;
        std::string_view view;
    };
    std::map<std::string, File, std::less<>> files_;
};

bool ReadWindow(SourceSkin& skin, const std::string& file, uikit::LayoutDocument* document, std::string* error) {
    return uikit::ReadWindowLayout(skin.Lookup(), "skin/", file, document, error);
}

class ProgramControls : public uikit::IControlFactory {
public:
    std::unique_ptr<uikit::CControlUI> CreateControl(std::string_view tag) override {
        if (tag == CXProgressUI::kElement) return std::make_unique<CXProgressUI>();
        if (CFolderList::IsElement(tag)) return std::make_unique<CFolderList>();
        if (CXImageList::IsElement(tag)) return std::make_unique<CXImageList>();
        if (CSysListUI::IsElement(tag)) return std::make_unique<CSysListUI>();
        return nullptr;
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
          {"btn_about", "Button"}, {"btn_undo_pe", "Button"}}},
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
        {"InstallDlg.xml",
         {{"btn_close", "Button"}, {"btn_minsize", "Button"}, {"title", "Label"}, {"option_hardware", "Option"},
          {"option_system", "Option"}, {"option_backupfile", "Option"}, {"option_download", "Option"},
          {"option_reboot", "Option"}, {"install_main_tab", "TabLayout"}, {"tab_hardware", "Container"},
          {"tab_system", "Container"}, {"tab_soft", "Container"}, {"tab_backupfile", "Container"},
          {"tab_install", "Container"}, {"check_desktop", "CheckBox"}, {"check_picture", "CheckBox"},
          {"check_music", "CheckBox"}, {"check_qqchatlog", "CheckBox"}, {"check_document", "CheckBox"},
          {"check_video", "CheckBox"}, {"folder_list", "FolderList"}, {"btn_add_folder", "Button"},
          {"right_list", "VerticalLayout"}, {"install_tip", "Control"}, {"btn_back", "Button"},
          {"btn_next", "Button"}, {"btn_cancle_install", "Button"},
          // the hardware page
          {"loading_hardware", "GifAnim"}, {"prog_hardware", "Progress"}, {"label_doing", "Label"},
          {"btn_recheck", "Button"}, {"list_hw", "List"},
          // the system page
          {"sys_img_groups", "HorizontalLayout"}, {"sys_list", "SysList"}, {"sys_loading", "VerticalLayout"},
          {"load_error", "VerticalLayout"}, {"btn_sys_retry", "Button"}, {"option_sys_local_img", "Option"},
          // the selection strip and the install page
          {"lab_sel", "Label"}, {"lab_selected_sys", "Label"}, {"lab_sys_task", "Label"}, {"lab_speed", "Label"},
          {"lab_size", "Label"}, {"task_progress", "Progress"}, {"lab_selected_sys2", "Label"},
          {"lab_sys_task2", "Label"}, {"lab_speed2", "Label"}, {"lab_size2", "Label"},
          {"task_progress2", "Progress"}, {"lab_net_retry", "Label"}, {"circle_progress", "CXProgress"},
          {"time_remain", "Label"}, {"check_reboot", "CheckBox"}, {"lab_warning", "Label"},
          {"backup_task", "Label"}, {"backup_error", "Label"}, {"backup_error_code", "Button"}}},
        {"SysImgListItem.xml",
         {{"check_sys", "CheckBox"}, {"itemname", "Label"}, {"date", "Label"}, {"size", "Label"},
          {"itemdes", "Label"}, {"tip", "Label"}}},
        {"HWInfo.xml", {{"hwkey", "Label"}, {"hwvalue", "Label"}}},
        {"folderlist.xml",
         {{"itemicon", "Label"}, {"folderpath", "Label"}, {"delete", "Button"}}},
        {"isoinfo.xml", {{"iso_info_tab", "TabLayout"}, {"combo_image", "Combo"}, {"ok", "Button"}}},
        {"BackupDlg.xml",
         {{"btn_minsize", "Button"}, {"btn_close", "Button"}, {"backup_main_tab", "TabLayout"},
          {"label_desktopimage", "Label"}, {"label_backuptime", "Label"}, {"label_backupsystem", "Label"},
          {"edit_backupinfo", "RichEdit"}, {"btn_ok", "Button"}, {"pedownload_progress", "CXProgress"},
          {"pedownload_info", "Label"}, {"pedownload_remain", "Label"}}},
        {"restore.xml",
         {{"btn_minsize", "Button"}, {"btn_close", "Button"}, {"restore_main_tab", "TabLayout"},
          {"btn_desktopimage", "Button"}, {"restore_backup_system", "Label"}, {"restore_backup_size", "Label"},
          {"edit_backupinfo", "RichEdit"}, {"list_backup_image", "bilist"}, {"btn_ok", "Button"},
          {"pedownload_progress", "CXProgress"}, {"pedownload_info", "Label"}, {"pedownload_remain", "Label"}}},
        {"backupimagelist.xml", {{"imagedate", "Label"}}},
    };
    std::set<std::string> pictures = SkinPictures();
    ASSERT_TRUE(pictures.count("logo.png")) << "the picture list reads";
    ProgramControls factory;
    SourceSkin skin;
    std::set<std::string> checked;
    for (const Expected& window : windows) {
        SCOPED_TRACE(window.layout);
        checked.insert(window.layout);
        uikit::LayoutDocument document;
        std::string error;
        ASSERT_TRUE(ReadWindow(skin, window.layout, &document, &error)) << error;
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
    std::set<std::string> layouts;
    for (const std::string& name : List(QNB_SKIN_LAYOUTS)) {
        if (name != uikit::kSharedStylesFile) layouts.insert(name);
    }
    EXPECT_EQ(checked, layouts) << "every layout of the skin is a window's, checked here";
}

TEST(SkinLayouts, PicturesTheWizardSetsAreInTheSkin) {
    std::set<std::string> pictures = SkinPictures();
    std::set<std::string> named;
    for (int step = 0; step <= 3; ++step) {
        named.insert(StepRowOf(step).title);
        for (int type : {0, 1, 2, 4, 8, 16, 32, 64}) named.insert(TipPicture(step, type));
        named.insert(TipPicture(step, std::nullopt));
    }
    // The catalogue groups' options, which the system page makes itself.
    named.insert("skin/soft_option.png");
    for (const std::string& name : named) {
        ASSERT_EQ(name.rfind("skin/", 0), 0u) << name;
        EXPECT_TRUE(pictures.count(name.substr(5))) << name << " is not in the skin";
    }
    EXPECT_EQ(named.size(), 4u + 1u + 8u + 2u + 1u) << "titles, hardware tip, systems and default, backup, end, groups";
}

TEST(SkinLayouts, TheWizardsPagesSitAtTheirTabIndexes) {
    SourceSkin skin;
    uikit::LayoutDocument document;
    std::string error;
    ASSERT_TRUE(ReadWindow(skin, "InstallDlg.xml", &document, &error)) << error;
    ProgramControls factory;
    uikit::CDialogBuilder builder(document.defaults, &factory);
    std::unique_ptr<uikit::CControlUI> root = builder.Build(document.root);
    auto* tab = dynamic_cast<uikit::CContainerUI*>(uikit::ControlTree::FindIn(root.get(), "install_main_tab"));
    ASSERT_NE(tab, nullptr);
    std::vector<std::string> pages;
    for (int i = 0; i < tab->GetCount(); ++i) pages.push_back(tab->GetItemAt(i)->GetName());
    EXPECT_EQ(pages, (std::vector<std::string>{"tab_hardware", "tab_system", "tab_soft", "tab_backupfile",
                                               "tab_install"}));
    EXPECT_EQ(tab->GetItemAt(3)->GetVirtualWnd(), "tab_backupfile");
}

using FontUses = std::vector<std::pair<std::string, std::string>>;  // where, the font attribute's value

void CollectFontIds(const uikit::AttributeList& attributes, const std::string& where, FontUses* uses) {
    for (const auto& [name, value] : attributes) {
        if (name == "font") uses->emplace_back(where, value);
    }
}

void CollectFontIds(const uikit::LayoutNode& node, FontUses* uses) {
    const std::string* name = node.Find("name");
    CollectFontIds(node.attributes, node.tag + (name ? " " + *name : std::string()), uses);
    for (const auto& child : node.children) CollectFontIds(child, uses);
}

bool SameFont(const uikit::FontSpec& a, const uikit::FontSpec& b) {
    return a.name == b.name && a.size == b.size && a.bold == b.bold && a.underline == b.underline &&
           a.italic == b.italic;
}

TEST(SkinLayouts, AFontIdMeansOneFontInEveryWindow) {
    SourceSkin skin;
    const std::string_view* global = skin.Find("skin/global.xml");
    ASSERT_NE(global, nullptr) << "the skin's shared styles";
    uikit::SharedStyles shared;
    std::string error;
    ASSERT_TRUE(uikit::ParseSharedStyles(*global, &shared, &error)) << error;
    int defaults = 0;
    for (const uikit::FontSpec& f : shared.fonts) defaults += f.isDefault;
    EXPECT_EQ(defaults, 1) << "global.xml names the one default font";

    std::map<int, std::pair<std::string, uikit::FontSpec>> ownFonts;  // a layout's own id → layout, font
    for (const std::string& layout : List(QNB_SKIN_LAYOUTS)) {
        if (layout == uikit::kSharedStylesFile) continue;
        SCOPED_TRACE(layout);
        uikit::LayoutDocument document;
        // Refused here: a layout that declares a font under a shared id again.
        ASSERT_TRUE(ReadWindow(skin, layout, &document, &error)) << error;
        for (size_t i = shared.fonts.size(); i < document.fonts.size(); ++i) {
            const uikit::FontSpec& own = document.fonts[i];
            auto [it, added] = ownFonts.try_emplace(own.id, layout, own);
            EXPECT_TRUE(added || SameFont(it->second.second, own))
                << "font " << own.id << " differs from the one of " << it->second.first;
        }
        FontUses uses;
        CollectFontIds(document.root, &uses);
        for (const auto& d : document.defaults) CollectFontIds(d.attributes, "Default " + d.tag, &uses);
        for (const auto& [where, value] : uses) {
            std::optional<int> id = uikit::ParseInt(value);
            bool declared = id && std::any_of(document.fonts.begin(), document.fonts.end(),
                                              [&](const uikit::FontSpec& f) { return f.id == *id; });
            // An id nobody declared falls back to the default font without a word.
            EXPECT_TRUE(declared) << where << ": font \"" << value << "\" is declared nowhere";
        }
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
