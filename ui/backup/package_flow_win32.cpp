#include "ui/backup/package_flow_win32.h"

#include "jobs/window_messages.h"
#include "uikit/controls/progress.h"

namespace qnb::ui {

namespace {
constexpr char kProgress[] = "pedownload_progress";
constexpr char kInfo[] = "pedownload_info";
constexpr char kRemain[] = "pedownload_remain";
}  // namespace

PackageFlow::PackageFlow(uikit::WindowImplBase& window, const FlowServices& services, installer::PeInstallMode mode,
                         TimeLeftStyle style, installer::win32::OwnerWindow::Steps steps)
    : window_(window),
      services_(services),
      mode_(mode),
      style_(style),
      owner_(window, *services.desktop, *services.detector, std::move(steps)) {}

PackageFlow::~PackageFlow() {
    if (installer_) installer_->RequestStop();
    installer_.reset();
}

void PackageFlow::Start() { window_.SetTimer(kPackageTimer, kPackageTimerMs); }

void PackageFlow::Tick() {
    AppContext& context = *services_.context;
    const std::string url = context.PackageUrl();
    std::optional<DownloadFacts> record = url.empty() ? std::nullopt : services_.downloads->Query(url);
    PollStep step = PollPackage(url, record, style_);
    switch (step.action) {
        case PollStep::kAdd:
            services_.downloads->Add(url, context.WorkspacePath());
            break;
        case PollStep::kFailed:
            // The timer stops first: ticks during the message would start the download again.
            window_.KillTimer(kPackageTimer);
            services_.desktop->ShowMessage(window_.GetHWND(), kDownloadFailedText, kDownloadFailedCaption, MB_OK);
            window_.Close(2);
            break;
        case PollStep::kComplete:
            window_.KillTimer(kPackageTimer);
            StartInstaller();
            break;
        case PollStep::kProgress:
            if (auto* progress = window_.Find<uikit::CProgressUI>(kProgress)) {
                progress->SetValue(step.value);
                progress->SetText(step.valueText);
            }
            if (step.labels) {
                if (uikit::CControlUI* info = window_.FindControl(kInfo)) info->SetText(step.info);
                if (uikit::CControlUI* remain = window_.FindControl(kRemain)) remain->SetText(step.remain);
            }
            break;
        case PollStep::kWait:
        case PollStep::kNothing:
            break;
    }
}

void PackageFlow::StartInstaller() {
    if (installer_) return;  // one run per window
    installerOwner_ = std::make_unique<installer::win32::WindowInstallerOwner>(window_.GetHWND(), nullptr, nullptr);
    listener_ = std::make_unique<win32::WindowJobListener>(window_.GetHWND(), kInstallerJob);
    installer_ = std::make_unique<Job>("installer", SystemClock(), listener_.get());
    installer_->Start([this](JobControl& control) { return services_.install(mode_, *installerOwner_, control); });
}

bool PackageFlow::InstallerRunning() const { return installer_ && !installer_->Finished(); }

bool PackageFlow::Quit() {
    if (!InstallerRunning()) return true;
    quitting_ = true;
    installer_->RequestStop();
    window_.ShowWindow(false, false);
    OrNoLog(services_.log).Write("installer", "the window was closed while the installer ran: waiting for its end");
    return false;
}

void PackageFlow::InstallerEnded() {
    if (!quitting_) return;
    std::optional<Status> outcome = installer_->Outcome();
    // Stopped before anything changed, or failed (the installer took its
    // entry back itself): nothing to undo. The ending reached: undo it.
    if (outcome && outcome->ok() && services_.undoInstall) services_.undoInstall();
    window_.Close(2);
}

bool PackageFlow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER && wParam == kPackageTimer) {
        Tick();
        return true;
    }
    if (msg == WM_JOB_EVENT && wParam == kInstallerJob) {
        if (lParam == kJobFinished) InstallerEnded();
        return true;
    }
    return installer::win32::HandleInstallerMessage(msg, wParam, lParam, *this);
}

void PackageFlow::SetControlText(const std::string& control, const std::string& text) {
    owner_.SetControlText(control, text);
}

void PackageFlow::SetControlValue(const std::string& control, int value) { owner_.SetControlValue(control, value); }

void PackageFlow::SetControlTextColor(const std::string& control, uint32_t argb) {
    owner_.SetControlTextColor(control, argb);
}

void PackageFlow::StartTimer(unsigned id, unsigned milliseconds) {
    if (!quitting_) owner_.StartTimer(id, milliseconds);
}

void PackageFlow::StopTimer(unsigned id) { owner_.StopTimer(id); }

void PackageFlow::ShowFatalError(const std::string& text) {
    if (!quitting_) owner_.ShowFatalError(text);
}

void PackageFlow::PrepareRestore() {
    if (!quitting_) owner_.PrepareRestore();
}

void PackageFlow::HandOverBackup() {
    if (!quitting_) owner_.HandOverBackup();
}

installer::CountdownResult PackageFlow::RunCountdown() {
    return quitting_ ? installer::CountdownResult::kLater : owner_.RunCountdown();
}

installer::Answer PackageFlow::AskYesNo(const std::string& caption, const std::string& text) {
    return quitting_ ? installer::Answer::kNo : owner_.AskYesNo(caption, text);
}

}  // namespace qnb::ui
