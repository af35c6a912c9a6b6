#include "uikit/core/control_tree.h"

#include "uikit/controls/option.h"

namespace uikit {

ControlTree::ControlTree(TreeHost* host) : host_(host) {}

ControlTree::~ControlTree() {
    dying_ = true;
    root_.reset();
}

void ControlTree::SetRoot(std::unique_ptr<CControlUI> root) {
    if (root_) root_->Attach(nullptr, nullptr);
    root_ = std::move(root);
    hot_ = captured_ = focus_ = nullptr;
    if (root_) root_->Attach(this, nullptr);
    NormaliseGroups();
    needLayout_ = true;
    Invalidate({0, 0, client_.cx, client_.cy});
}

CControlUI* ControlTree::FindIn(CControlUI* parent, std::string_view name) {
    if (!parent || name.empty()) return nullptr;
    CControlUI* found = nullptr;
    parent->Visit([&](CControlUI& c) {
        if (!found && c.GetName() == name) found = &c;
    });
    return found;
}

CControlUI* ControlTree::Find(std::string_view name) const { return FindIn(root_.get(), name); }

const FontSpec* ControlTree::GetFont(int id) const {
    const FontSpec* fallback = nullptr;
    for (const FontSpec& f : fonts_) {
        if (id >= 0 && f.id == id) return &f;
        if (f.isDefault && !fallback) fallback = &f;
    }
    if (!fallback && !fonts_.empty()) fallback = &fonts_.front();
    return fallback;
}

void ControlTree::Resize(Size client) {
    if (client == client_) return;
    client_ = client;
    needLayout_ = true;
    Invalidate({0, 0, client.cx, client.cy});
}

void ControlTree::LayoutIfNeeded() {
    // A layout pass may ask for another (a scroll bar appearing); two are enough.
    for (int pass = 0; pass < 2 && needLayout_; ++pass) {
        needLayout_ = false;
        if (root_) root_->SetPos({0, 0, client_.cx, client_.cy});
    }
    needLayout_ = false;
    if (root_) root_->Visit([](CControlUI& c) { c.OnLayoutDone(); });
}

void ControlTree::Paint(IRender& render, const Rect& dirty) {
    LayoutIfNeeded();
    if (root_) root_->DoPaint(render, dirty);
}

void ControlTree::Invalidate(const Rect& rc) {
    if (!dying_ && host_ && !rc.IsEmpty()) host_->Invalidate(rc);
}

CControlUI* ControlTree::ControlAt(Point p) const { return root_ ? root_->FindControlAt(p) : nullptr; }

void ControlTree::Send(CControlUI* control, EventType type, Point p) {
    if (!control) return;
    TEventUI event;
    event.type = type;
    event.pt = p;
    control->DoEvent(event);
}

void ControlTree::SetHot(CControlUI* control, Point p) {
    if (control == hot_) return;
    CControlUI* old = hot_;
    hot_ = control;
    Send(old, EventType::kMouseLeave, p);
    Send(hot_, EventType::kMouseEnter, p);
}

void ControlTree::MouseMove(Point p) {
    lastMouse_ = p;
    LayoutIfNeeded();
    if (captured_) {
        Send(captured_, EventType::kMouseMove, p);
        return;
    }
    SetHot(ControlAt(p), p);
    Send(hot_, EventType::kMouseMove, p);
}

void ControlTree::MouseLeave() {
    if (!captured_) SetHot(nullptr, lastMouse_);
}

void ControlTree::ButtonDown(Point p) {
    lastMouse_ = p;
    LayoutIfNeeded();
    CControlUI* hit = ControlAt(p);
    SetHot(hit, p);
    if (!hit || !hit->IsEnabled()) return;
    captured_ = hit;
    if (host_) host_->SetCapture(true);
    // The nearest control that takes the focus gets it (a list for a click on its row).
    for (CControlUI* c = hit; c; c = c->GetParent()) {
        if (c->IsFocusable() && c->IsEnabled()) {
            SetFocus(c);
            break;
        }
    }
    // Focus handlers may have removed the control.
    if (captured_ == hit) Send(hit, EventType::kButtonDown, p);
}

void ControlTree::ButtonUp(Point p) {
    lastMouse_ = p;
    CControlUI* control = captured_;
    if (!control) return;
    captured_ = nullptr;
    if (host_) host_->SetCapture(false);
    // The control decides whether this was a click (released over itself)
    // and notifies the window as the last thing it does.
    Send(control, EventType::kButtonUp, p);
}

void ControlTree::DoubleClick(Point p) {
    LayoutIfNeeded();
    CControlUI* hit = ControlAt(p);
    if (hit && hit->IsEnabled()) Send(hit, EventType::kDoubleClick, p);
}

void ControlTree::Wheel(Point p, int delta) {
    LayoutIfNeeded();
    CControlUI* hit = ControlAt(p);
    if (!hit) return;
    TEventUI event;
    event.type = EventType::kScrollWheel;
    event.pt = p;
    event.wheelDelta = delta;
    hit->DoEvent(event);
}

bool ControlTree::KeyDown(unsigned key) {
    if (!focus_ || !focus_->IsEnabled() || !focus_->IsVisible()) return false;
    TEventUI event;
    event.type = EventType::kKeyDown;
    event.key = key;
    event.pt = lastMouse_;
    focus_->DoEvent(event);
    return true;
}

void ControlTree::SetFocus(CControlUI* control) {
    if (control == focus_) return;
    CControlUI* old = focus_;
    focus_ = control;
    Send(old, EventType::kKillFocus, lastMouse_);
    if (focus_ == control) Send(control, EventType::kSetFocus, lastMouse_);
}

bool ControlTree::SetTimer(CControlUI* control, unsigned id, unsigned elapseMs) {
    if (!host_ || !control) return false;
    TimerKey key{control, id};
    auto it = timers_.find(key);
    unsigned hostId = it != timers_.end() ? it->second : nextTimer_++;
    if (!host_->StartTimer(hostId, elapseMs)) return false;
    timers_[key] = hostId;
    return true;
}

void ControlTree::KillTimer(CControlUI* control, unsigned id) {
    auto it = timers_.find({control, id});
    if (it == timers_.end()) return;
    if (!dying_ && host_) host_->StopTimer(it->second);
    timers_.erase(it);
}

bool ControlTree::OnHostTimer(unsigned hostId) {
    for (const auto& [key, id] : timers_) {
        if (id != hostId) continue;
        TEventUI event;
        event.type = EventType::kTimer;
        event.timerId = key.id;
        key.control->DoEvent(event);
        return true;
    }
    return hostId >= kFirstControlTimer && hostId < nextTimer_;
}

std::vector<COptionUI*> ControlTree::Group(std::string_view group) const {
    std::vector<COptionUI*> members;
    if (!root_ || group.empty()) return members;
    root_->Visit([&](CControlUI& c) {
        if (auto* option = dynamic_cast<COptionUI*>(&c); option && option->GetGroup() == group) {
            members.push_back(option);
        }
    });
    return members;
}

void ControlTree::NormaliseGroups() {
    if (!root_) return;
    std::map<std::string, COptionUI*> last;
    root_->Visit([&](CControlUI& c) {
        auto* option = dynamic_cast<COptionUI*>(&c);
        if (!option || option->GetGroup().empty() || !option->IsSelected()) return;
        COptionUI*& previous = last[option->GetGroup()];
        if (previous) previous->ClearSelection();
        previous = option;
    });
}

void ControlTree::Notify(CControlUI* sender, std::string_view type, intptr_t wParam, intptr_t lParam) {
    if (!notifier_ || dying_) return;
    TNotifyUI msg;
    msg.type = std::string(type);
    msg.sender = sender;
    msg.virtualWnd = sender ? sender->GetVirtualWnd() : std::string();
    msg.wParam = wParam;
    msg.lParam = lParam;
    notifier_->Notify(msg);
}

void ControlTree::Forget(CControlUI* control) {
    if (hot_ == control) hot_ = nullptr;
    if (captured_ == control) {
        captured_ = nullptr;
        if (!dying_ && host_) host_->SetCapture(false);
    }
    if (focus_ == control) focus_ = nullptr;
    for (auto it = timers_.begin(); it != timers_.end();) {
        if (it->first.control == control) {
            if (!dying_ && host_) host_->StopTimer(it->second);
            it = timers_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace uikit
