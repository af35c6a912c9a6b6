// A picture that plays its frames (an animated GIF as bkimage).
#pragma once

#include "uikit/core/control.h"

#include <vector>

namespace uikit {

class CGifAnimUI : public CControlUI {
public:
    std::string_view GetClass() const override { return "GifAnim"; }

    bool IsPlaying() const { return playing_; }
    void Play();
    void Stop();
    int GetFrame() const { return frame_; }

    void PaintBkImage(IRender& render) override;
    void DoEvent(TEventUI& event) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;
    void Attach(ControlTree* tree, CControlUI* parent) override;

private:
    void LoadFrames();
    void ArmTimer();

    bool autoPlay_ = true;
    bool playing_ = false;
    bool loaded_ = false;
    std::vector<int> delays_;
    int frame_ = 0;
};

}  // namespace uikit
