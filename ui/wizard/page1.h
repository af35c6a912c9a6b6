// CPage1: the reinstall wizard's system page (tab "tab_system", index 1 of
// install_main_tab): the catalogue's groups as a row of options, the
// images of the current group in CSysListUI, the loading and error views
// while the catalogue is missing, and the choice of a local image file.
// The choice is stored in AppContext (and SETTING.JSON) at once; the list
// shows the stored choice again whenever it is rebuilt.
#pragma once

#include "app/app_context.h"
#include "images/iso_choice.h"
#include "ui/wizard/sys_list.h"
#include "uikit/controls/option.h"
#include "uikit/core/control_tree.h"
#include "uikit/core/event.h"

#include <optional>
#include <string>
#include <vector>

namespace qnb::ui {

// The two dialogs of the local image choice, owned by the wizard's window.
class LocalImageChooser {
public:
    virtual ~LocalImageChooser() = default;
    // The file-open dialog for a .gho or .iso file; nothing when cancelled.
    virtual std::optional<std::string> PickImageFile() = 0;
    // The image choice window for an ISO (ui/iso/iso_info_dlg.h).
    virtual images::IsoChoice ChooseIso(const std::string& isoPath) = 0;
};

constexpr char kLoadErrorText[] = "系统列表加载失败，请检查网络链接。";
// A fill that finds no image shows the loading view while at most this many
// empty fills came before it, the error view after that (the 12th in a row).
constexpr int kEmptyFillsBeforeError = 10;

class CPage1 : public uikit::INotifyUI {
public:
    static constexpr char kVirtualWnd[] = "tab_system";

    CPage1(AppContext& context, LocalImageChooser& chooser);

    // Once the wizard's controls exist.
    void Init(uikit::ControlTree& tree);

    // Rebuilds the group row (the first group current) and fills the list;
    // the number of images listed (0 when there is none).
    int Fill();
    // Fills the list with the current group's images; their number.
    int FillList();

    void Notify(uikit::TNotifyUI& msg) override;

    int EmptyFills() const { return emptyFills_; }
    int CurrentGroup() const { return currentGroup_; }
    bool ListShown() const { return listShown_; }
    CSysListUI* List() const { return list_; }

private:
    void ShowEmptyView(bool error);
    void ChooseOneOfSeveral(bool showSelection);
    void OnRowChecked(uikit::CControlUI& box);
    void OnRowSelected();
    void ChooseLocalImage();
    // option_sys_local_img shows whether a local image is the choice.
    void ShowLocalOption();
    void EnableNext();
    uikit::CControlUI* Find(const char* name) const;

    AppContext& context_;
    LocalImageChooser& chooser_;
    uikit::ControlTree* tree_ = nullptr;
    CSysListUI* list_ = nullptr;
    bool listShown_ = false;
    int currentGroup_ = -1;
    std::vector<uikit::COptionUI*> groupOptions_;
    std::vector<int> groupIds_;
    int emptyFills_ = 0;
};

// The local image path is an ISO when ".ISO" first occurs at its very end (upper case).
bool IsIsoImagePath(const std::string& upperPath);

}  // namespace qnb::ui
