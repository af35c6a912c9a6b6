// A window host and a renderer for native tests: text is 8 pixels per
// character (UTF-8 aware) and 16 high, timers and invalidations are
// recorded, drawing calls are written down as lines of text.
#pragma once

#include "uikit/core/builder.h"
#include "uikit/core/control_tree.h"
#include "uikit/core/layout_document.h"

#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace uikit::testing {

inline int Characters(std::string_view text) {
    int n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}

class FakeHost : public TreeHost {
public:
    void Invalidate(const Rect& rc) override { invalidated = invalidated.Union(rc); }
    Size MeasureText(std::string_view text, int, int) override { return {Characters(text) * 8, 16}; }
    bool StartTimer(unsigned hostId, unsigned elapseMs) override {
        timers[hostId] = elapseMs;
        return true;
    }
    void StopTimer(unsigned hostId) override { timers.erase(hostId); }
    void SetCapture(bool capture) override { captured = capture; }
    std::unique_ptr<NativeEdit> CreateNativeEdit(CRichEditUI&) override { return nullptr; }
    void ShowDropDown(CComboUI& combo) override { droppedDown = &combo; }
    std::unique_ptr<CControlUI> BuildLayout(std::string_view file, std::string* error) override;
    std::vector<int> ImageFrameDelays(const std::string& file) override {
        auto it = frameDelays.find(file);
        return it == frameDelays.end() ? std::vector<int>() : it->second;
    }

    Rect invalidated;
    std::map<unsigned, unsigned> timers;
    bool captured = false;
    CComboUI* droppedDown = nullptr;
    std::map<std::string, std::string> layouts;  // file → XML, for BuildLayout
    std::map<std::string, std::vector<int>> frameDelays;
};

class RecordingRender : public IRender {
public:
    void FillRect(const Rect& rc, uint32_t argb) override { Add("fill", rc, argb); }
    void FillRoundRect(const Rect& rc, int radius, uint32_t argb) override {
        Add("fillround r" + std::to_string(radius), rc, argb);
    }
    void DrawBorder(const Rect& rc, int width, int, uint32_t argb) override {
        Add("border w" + std::to_string(width), rc, argb);
    }
    bool DrawImage(const Rect& dest, const ImageSpec& spec, int frame) override {
        Add("image " + spec.file + (frame ? " frame " + std::to_string(frame) : std::string()), dest, 0);
        return missing.count(spec.file) == 0;
    }
    void RenderText(const Rect& rc, std::string_view text, const TextStyle& style) override {
        Add("text \"" + std::string(text) + "\"", rc, style.colour);
    }
    Size MeasureText(std::string_view text, int, int) override { return {Characters(text) * 8, 16}; }
    void DrawArc(int x, int y, int width, int height, float start, float sweep, int pen, uint32_t argb) override {
        char line[160];
        std::snprintf(line, sizeof line, "arc %d,%d %dx%d start %.2f sweep %.2f pen %d %08X", x, y, width, height,
                      double(start), double(sweep), pen, argb);
        calls.push_back(line);
    }
    void PushClip(const Rect&) override {}
    void PopClip() override {}

    std::vector<std::string> calls;
    std::set<std::string> missing;

private:
    void Add(const std::string& what, const Rect& rc, uint32_t argb) {
        char line[64];
        std::snprintf(line, sizeof line, " %d,%d,%d,%d %08X", rc.left, rc.top, rc.right, rc.bottom, argb);
        calls.push_back(what + line);
    }
};

// Collects notifications as "name:type".
class NotifyLog : public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override {
        entries.push_back((msg.sender ? msg.sender->GetName() : std::string("?")) + ":" + msg.type);
        if (onNotify) onNotify(msg);
    }
    std::vector<std::string> entries;
    std::function<void(TNotifyUI&)> onNotify;
};

// A window's controls from layout XML, laid out at the document's size;
// with shared styles, those first (as a skin's global.xml).
struct TestWindow {
    explicit TestWindow(const std::string& xml, IControlFactory* factory = nullptr,
                        const SharedStyles* shared = nullptr);
    CControlUI* Find(std::string_view name) const { return tree.Find(name); }
    template <typename T>
    T* Get(std::string_view name) const {
        return dynamic_cast<T*>(tree.Find(name));
    }
    void Click(std::string_view name);

    FakeHost host;
    ControlTree tree{&host};
    NotifyLog log;
    LayoutDocument document;
    std::vector<std::string> problems;
};

}  // namespace uikit::testing
