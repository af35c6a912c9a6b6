// CXGetIsoInfoDlg: the image choice for a local ISO. Its worker mounts the
// ISO, lists the Windows systems of its install.wim and unmounts it; with
// several systems the user picks one on page 1. The catalogue page opens
// it through ChooseIsoImage.
#pragma once

#include "images/iso_choice.h"
#include "images/iso_inspection.h"
#include "images/iso_tools.h"
#include "jobs/job.h"
#include "jobs/window_listener_win32.h"
#include "platform/file_system.h"
#include "ui/desktop.h"
#include "uikit/win32/window_impl_base.h"

#include <memory>
#include <string>

namespace qnb::ui {

// Opens the window for isoPath over owner, modally, and returns its answer
// (result 0 cancelled, 1 use this ISO, 2 its image list could not be read;
// the ready flag; the chosen image from 1). tools is the process's one.
images::IsoChoice ChooseIsoImage(HWND owner, const std::string& isoPath, images::IsoTools& tools, FileSystem& files,
                                 Desktop& desktop);

class CXGetIsoInfoDlg : public uikit::WindowImplBase {
public:
    // The worker's job, in WM_JOB_EVENT's wParam.
    static constexpr WPARAM kWorkerJob = 1;

    // clock: the worker's (its pause before listing); tests drive it.
    CXGetIsoInfoDlg(images::IsoTools& tools, FileSystem& files, Desktop& desktop, Clock& clock = SystemClock());
    ~CXGetIsoInfoDlg() override;

    // Before creation.
    void SetIsoPath(std::string path) { isoPath_ = std::move(path); }
    bool IsReady() const { return ready_; }
    int GetImageIndex() const { return imageIndex_; }

    std::string GetWindowClassName() const override { return "isoinfodlg"; }
    std::string GetSkinFile() const override { return "isoinfo.xml"; }

protected:
    void OnCreate() override;
    void InitWindow() override;
    void Notify(uikit::TNotifyUI& msg) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT MessageFilter(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    // The worker's news, on the window's thread.
    void TakeNews();
    bool Choosing() const;

    images::IsoTools& tools_;
    FileSystem& files_;
    Desktop& desktop_;
    Clock& clock_;
    std::string isoPath_;
    bool ready_ = false;
    int imageIndex_ = 0;
    bool decided_ = false;
    Snapshot<images::IsoInspection> found_;
    std::unique_ptr<win32::WindowJobListener> listener_;
    // Declared last: stopped and joined before what it uses goes.
    std::unique_ptr<Job> worker_;
};

}  // namespace qnb::ui
