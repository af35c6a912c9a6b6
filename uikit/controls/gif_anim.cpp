#include "uikit/controls/gif_anim.h"

#include "uikit/core/control_tree.h"

#include <algorithm>

namespace uikit {

namespace {
constexpr unsigned kFrameTimer = 1;
}

void CGifAnimUI::LoadFrames() {
    if (loaded_ || !tree_ || !tree_->Host() || bkImage_.IsEmpty()) return;
    loaded_ = true;
    delays_ = tree_->Host()->ImageFrameDelays(bkImage_.file);
}

void CGifAnimUI::ArmTimer() {
    if (!tree_ || delays_.size() < 2) return;
    // Pictures that ask for no delay are shown at 10 frames a second, as browsers do.
    int delay = delays_[frame_] > 10 ? delays_[frame_] : 100;
    tree_->SetTimer(this, kFrameTimer, static_cast<unsigned>(delay));
}

void CGifAnimUI::Play() {
    LoadFrames();
    if (playing_ || delays_.size() < 2) return;
    playing_ = true;
    ArmTimer();
}

void CGifAnimUI::Stop() {
    playing_ = false;
    if (tree_) tree_->KillTimer(this, kFrameTimer);
}

void CGifAnimUI::PaintBkImage(IRender& render) {
    if (bkImage_.IsEmpty()) return;
    if (!loaded_) {
        LoadFrames();
        if (autoPlay_) Play();
    }
    DrawImage(render, bkImage_, frame_);
}

void CGifAnimUI::DoEvent(TEventUI& event) {
    if (event.type == EventType::kTimer && event.timerId == kFrameTimer) {
        if (delays_.empty()) return;
        frame_ = (frame_ + 1) % static_cast<int>(delays_.size());
        Invalidate();
        ArmTimer();
        return;
    }
    CControlUI::DoEvent(event);
}

bool CGifAnimUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "autoplay") {
        auto b = ParseBool(value);
        if (!b) return false;
        autoPlay_ = *b;
        return true;
    }
    if (name == "bkimage") {
        Stop();
        loaded_ = false;
        frame_ = 0;
        delays_.clear();
    }
    return CControlUI::SetAttribute(name, value);
}

void CGifAnimUI::Attach(ControlTree* tree, CControlUI* parent) {
    if (tree != tree_) {
        Stop();
        loaded_ = false;
    }
    CControlUI::Attach(tree, parent);
}

}  // namespace uikit
