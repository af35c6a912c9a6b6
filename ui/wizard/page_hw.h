// CPageHW: the reinstall wizard's hardware page (tab "tab_hardware", index 0
// of install_main_tab). It owns the environment check (inspect/
// hardware_check.h) as a job, started with the wizard and waiting until the
// wizard's window exists. The job queues every change it makes to the page
// and tells the window (through the listener it is given); the window calls
// TakeNews on its own thread, which applies them in order: rows of
// skin/HWInfo.xml in "list_hw", the status line, the progress bar, and at
// 100 the animation stops and "btn_recheck" and "btn_next" are enabled.
#pragma once

#include "app/app_context.h"
#include "inspect/hardware_check.h"
#include "jobs/job.h"
#include "uikit/core/control_tree.h"
#include "uikit/core/event.h"

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

namespace qnb::ui {

// A highlighted value's colour.
constexpr uint32_t kHardwareHighlight = 0xFFFF3300;

class CPageHW : public uikit::INotifyUI {
public:
    static constexpr char kVirtualWnd[] = "tab_hardware";
    static constexpr char kRowLayout[] = "HWInfo.xml";

    // clock: the check's pauses (tests pass them at once).
    CPageHW(AppContext& context, inspect::HardwareSources sources, Clock& clock = SystemClock());
    // Stops a running check and waits for it.
    ~CPageHW() override;

    // Starts the first check; it waits for SetReady.
    void Start();
    // The window exists: its controls, and the listener that tells the
    // window of news (WM_JOB_EVENT). The check begins.
    void SetReady(uikit::ControlTree& tree, JobListener* listener);
    // Applies the news in the order the check made them (window thread).
    void TakeNews();
    // Stops a running check and waits for it (before the window's listener goes).
    void Stop();

    // "btn_recheck": a new check, after the list is emptied.
    void Notify(uikit::TNotifyUI& msg) override;

    // A check has started and its progress 100 has not been applied yet.
    bool Checking() const { return checking_; }
    Job* CurrentJob() const { return job_.get(); }

private:
    struct News {
        enum Kind { kStatus, kRow, kProgress } kind;
        std::string key;
        std::string value;
        bool highlight = false;
        int percent = 0;
    };
    class Sink;
    // Forwards the job's news to the window's listener once there is one.
    class Relay : public JobListener {
    public:
        void ProgressChanged() override;
        void Finished(const Status& outcome) override;
        std::atomic<JobListener*> target{nullptr};
    };

    void StartCheck();
    void Apply(const News& news);
    uikit::CControlUI* Find(const char* name) const;

    AppContext& context_;
    inspect::HardwareSources sources_;
    Clock& clock_;
    uikit::ControlTree* tree_ = nullptr;
    std::atomic<bool> ready_{false};
    bool checking_ = false;
    std::mutex newsMutex_;
    std::deque<News> news_;
    Relay relay_;
    // Last: stopped and joined before what it uses goes.
    std::unique_ptr<Job> job_;
};

}  // namespace qnb::ui
