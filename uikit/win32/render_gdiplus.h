// Drawing with GDI+ on a window's 32-bit back buffer. Pictures are decoded
// once (from the skin) and kept, premultiplied, for the life of the process;
// fonts are made once per description, with a fallback to the Chinese fonts
// a machine has when the layout's face is missing.
#pragma once

#include "uikit/core/layout_document.h"
#include "uikit/core/render.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <functional>
#include <string>
#include <vector>

namespace uikit {

class RenderGdiplus : public IRender {
public:
    // Draws on dc; fonts(id) gives the window's font descriptions; files
    // are resolved in skinFolder.
    RenderGdiplus(HDC dc, std::function<const FontSpec*(int)> fonts, std::string skinFolder);
    ~RenderGdiplus() override;

    void FillRect(const Rect& rc, uint32_t argb) override;
    void FillRoundRect(const Rect& rc, int radius, uint32_t argb) override;
    void DrawBorder(const Rect& rc, int width, int radius, uint32_t argb) override;
    bool DrawImage(const Rect& dest, const ImageSpec& spec, int frame) override;
    void RenderText(const Rect& rc, std::string_view text, const TextStyle& style) override;
    Size MeasureText(std::string_view text, int font, int maxWidth) override;
    void DrawArc(int x, int y, int width, int height, float startAngle, float sweepAngle, int penWidth,
                 uint32_t argb) override;
    void PushClip(const Rect& rc) override;
    void PopClip() override;

    Gdiplus::Graphics& Graphics() { return graphics_; }

private:
    Gdiplus::Font* FontFor(int id);

    HDC dc_;
    Gdiplus::Graphics graphics_;
    std::function<const FontSpec*(int)> fonts_;
    std::string skinFolder_;
    std::vector<Gdiplus::GraphicsState> clips_;
    std::vector<Rect> clipRects_;  // the same limits as rectangles, for plain GDI fills
};

// Frame delays (ms) of an animated picture of the skin; empty when not animated.
std::vector<int> ImageFrameDelays(const std::string& entryName);
// The size of a picture of the skin; 0,0 when it is missing.
Size ImageSize(const std::string& entryName);
// A GDI+ font for a description (with the fallback faces).
Gdiplus::Font* CachedFont(const FontSpec& spec);
// The face that was used for a description's face name.
std::wstring ResolvedFace(const std::string& face);
// Drops the decoded pictures and fonts (before GDI+ shuts down).
void ReleaseRenderResources();

}  // namespace uikit
