#include "ui/wizard/page_hw.h"

#include "uikit/controls/gif_anim.h"
#include "uikit/controls/label.h"
#include "uikit/controls/list.h"
#include "uikit/controls/progress.h"

namespace qnb::ui {

// Queues the check's changes for the window and tells it.
class CPageHW::Sink : public inspect::HardwareSink {
public:
    Sink(CPageHW& page, JobControl& control) : page_(page), control_(control) {}
    void Status(const std::string& text) override { Push({News::kStatus, "", text}); }
    void Row(const std::string& key, const std::string& value, bool highlight) override {
        Push({News::kRow, key, value, highlight});
    }
    void Progress(int percent) override { Push({News::kProgress, "", "", false, percent}); }

private:
    void Push(News news) {
        {
            std::lock_guard<std::mutex> lock(page_.newsMutex_);
            page_.news_.push_back(std::move(news));
        }
        control_.NotifyProgress();
    }
    CPageHW& page_;
    JobControl& control_;
};

void CPageHW::Relay::ProgressChanged() {
    if (JobListener* listener = target.load()) listener->ProgressChanged();
}

void CPageHW::Relay::Finished(const Status& outcome) {
    if (JobListener* listener = target.load()) listener->Finished(outcome);
}

CPageHW::CPageHW(AppContext& context, inspect::HardwareSources sources, Clock& clock)
    : context_(context), sources_(std::move(sources)), clock_(clock) {}

CPageHW::~CPageHW() { Stop(); }

void CPageHW::Stop() {
    if (job_) job_->RequestStop();
    job_.reset();
    relay_.target = nullptr;
}

void CPageHW::Start() { StartCheck(); }

void CPageHW::StartCheck() {
    job_.reset();  // the previous check has ended (its button was disabled meanwhile)
    {
        std::lock_guard<std::mutex> lock(newsMutex_);
        news_.clear();
    }
    checking_ = true;
    job_ = std::make_unique<Job>("hardware check", clock_, &relay_);
    job_->Start([this](JobControl& control) {
        Sink sink(*this, control);
        return inspect::RunHardwareCheck(control, [this] { return ready_.load(); }, context_, sources_, sink);
    });
}

void CPageHW::SetReady(uikit::ControlTree& tree, JobListener* listener) {
    tree_ = &tree;
    relay_.target = listener;
    ready_ = true;
}

uikit::CControlUI* CPageHW::Find(const char* name) const { return tree_ ? tree_->Find(name) : nullptr; }

void CPageHW::TakeNews() {
    std::deque<News> news;
    {
        std::lock_guard<std::mutex> lock(newsMutex_);
        news.swap(news_);
    }
    for (const News& n : news) Apply(n);
}

void CPageHW::Apply(const News& news) {
    switch (news.kind) {
    case News::kStatus:
        if (uikit::CControlUI* label = Find("label_doing")) label->SetText(news.value);
        break;
    case News::kRow: {
        auto* list = dynamic_cast<uikit::CListUI*>(Find("list_hw"));
        uikit::CControlUI* row = list ? list->AddRow(kRowLayout) : nullptr;
        if (!row) break;
        if (uikit::CControlUI* key = uikit::ControlTree::FindIn(row, "hwkey")) key->SetText(news.key);
        if (auto* value = dynamic_cast<uikit::CLabelUI*>(uikit::ControlTree::FindIn(row, "hwvalue"))) {
            value->SetText(news.value);
            if (news.highlight) value->SetTextColor(kHardwareHighlight);
        }
        break;
    }
    case News::kProgress:
        if (auto* bar = dynamic_cast<uikit::CProgressUI*>(Find("prog_hardware"))) bar->SetValue(news.percent);
        if (news.percent >= 100) {
            checking_ = false;
            if (auto* animation = dynamic_cast<uikit::CGifAnimUI*>(Find("loading_hardware"))) animation->Stop();
            for (const char* name : {"btn_recheck", "btn_next"}) {
                if (uikit::CControlUI* button = Find(name)) button->SetEnabled(true);
            }
        }
        break;
    }
}

void CPageHW::Notify(uikit::TNotifyUI& msg) {
    if (msg.type != uikit::notify::kClick || !msg.sender || msg.sender->GetName() != "btn_recheck") return;
    if (auto* list = dynamic_cast<uikit::CListUI*>(Find("list_hw"))) list->RemoveAll();
    if (auto* bar = dynamic_cast<uikit::CProgressUI*>(Find("prog_hardware"))) bar->SetValue(0);
    if (auto* animation = dynamic_cast<uikit::CGifAnimUI*>(Find("loading_hardware"))) animation->Play();
    StartCheck();
    for (const char* name : {"btn_recheck", "btn_next"}) {
        if (uikit::CControlUI* button = Find(name)) button->SetEnabled(false);
    }
}

}  // namespace qnb::ui
