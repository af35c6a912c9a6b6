#include "ui/iso/iso_info_dlg.h"

#include "jobs/window_messages.h"
#include "ui/shared_windows.h"
#include "ui/window_styles.h"
#include "uikit/controls/combo.h"
#include "uikit/controls/tab_layout.h"

namespace qnb::ui {

images::IsoChoice ChooseIsoImage(HWND owner, const std::string& isoPath, images::IsoTools& tools, FileSystem& files,
                                 Desktop& desktop) {
    CXGetIsoInfoDlg dialog(tools, files, desktop);
    dialog.SetIsoPath(isoPath);
    images::IsoChoice choice;
    if (!dialog.Create(owner, "ISOINFO", kPopupStyle, WS_EX_WINDOWEDGE)) return choice;
    dialog.CenterWindow();
    choice.result = static_cast<int>(dialog.ShowModal());
    choice.ready = dialog.IsReady();
    choice.imageIndex = dialog.GetImageIndex();
    return choice;
}

CXGetIsoInfoDlg::CXGetIsoInfoDlg(images::IsoTools& tools, FileSystem& files, Desktop& desktop, Clock& clock)
    : tools_(tools), files_(files), desktop_(desktop), clock_(clock) {}

CXGetIsoInfoDlg::~CXGetIsoInfoDlg() {
    // The worker unmounts before it returns, also when stopped.
    if (worker_) worker_->RequestStop();
    worker_.reset();
}

void CXGetIsoInfoDlg::OnCreate() { SetShadow(WindowShadow()); }

void CXGetIsoInfoDlg::InitWindow() {
    listener_ = std::make_unique<win32::WindowJobListener>(GetHWND(), kWorkerJob);
    worker_ = std::make_unique<Job>("iso worker", clock_, listener_.get());
    worker_->Start([this](JobControl& control) {
        return images::InspectIso(control, tools_, files_, isoPath_, found_);
    });
}

bool CXGetIsoInfoDlg::Choosing() const {
    auto* tab = Find<uikit::CTabLayoutUI>("iso_info_tab");
    return tab && tab->GetCurSel() == 1;
}

void CXGetIsoInfoDlg::TakeNews() {
    listener_->Acknowledge();
    images::IsoInspection found = found_.Get();
    ready_ = found.ready;
    if (!found.finished || decided_) return;
    decided_ = true;
    images::IsoDecision decision = images::Decide(found);
    ready_ = decision.ready;
    imageIndex_ = decision.imageIndex;
    switch (decision.step) {
    case images::IsoDecision::kClose:
        Close(decision.result);
        break;
    case images::IsoDecision::kChoose:
        if (auto* combo = Find<uikit::CComboUI>("combo_image")) {
            combo->RemoveAll();
            for (const std::string& label : found.labels) combo->AddItem(label);
            combo->SelectItem(combo->GetCount() - 1, true);
        }
        if (auto* tab = Find<uikit::CTabLayoutUI>("iso_info_tab")) tab->SelectItem(1);
        break;
    case images::IsoDecision::kFail:
        desktop_.ShowMessage(GetHWND(), images::kUnreadableMessage, images::kUnreadableCaption, MB_OK);
        Close(decision.result);
        break;
    }
}

void CXGetIsoInfoDlg::Notify(uikit::TNotifyUI& msg) {
    if (msg.type != uikit::notify::kClick || !msg.sender) return;
    if (msg.sender->GetName() == "ok") {
        auto* combo = Find<uikit::CComboUI>("combo_image");
        if (!combo || combo->GetCurSel() < 0) return;
        imageIndex_ = combo->GetCurSel() + 1;
        Close(images::kIsoAccepted);
    } else if (msg.sender->GetName() == "cancle") {
        Close(images::kIsoCancelled);
    }
}

LRESULT CXGetIsoInfoDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    handled = false;
    if (msg == WM_JOB_EVENT && wParam == kWorkerJob) {
        handled = true;
        TakeNews();
    } else if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        // Closing means cancelling, and only once the worker is done: the
        // framework's IDCANCEL (2) would read as "the list could not be read".
        handled = true;
        if (Choosing()) Close(images::kIsoCancelled);
    }
    return 0;
}

LRESULT CXGetIsoInfoDlg::MessageFilter(UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    handled = IsSwallowedKey(msg, static_cast<unsigned>(wParam));
    if (handled && wParam == VK_ESCAPE && Choosing()) Close(images::kIsoCancelled);
    return 0;
}

}  // namespace qnb::ui
