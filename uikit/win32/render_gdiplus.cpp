#include "uikit/win32/render_gdiplus.h"

#include "platform/scope_exit.h"
#include "platform/text.h"
#include "platform/win32/handles.h"
#include "uikit/core/skin_store.h"
#include "uikit/win32/framework.h"


#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <optional>

namespace uikit {

namespace {

using Gdiplus::Bitmap;
using Gdiplus::Color;

// A decoded picture: one premultiplied bitmap per frame.
struct Picture {
    std::vector<std::unique_ptr<Bitmap>> frames;
    std::vector<int> delays;  // ms, animated pictures only
    int width = 0;
    int height = 0;
};

std::map<std::string, std::unique_ptr<Picture>>& Pictures() {
    static auto* pictures = new std::map<std::string, std::unique_ptr<Picture>>();
    return *pictures;
}

std::map<std::string, std::unique_ptr<Gdiplus::Font>>& Fonts() {
    static auto* fonts = new std::map<std::string, std::unique_ptr<Gdiplus::Font>>();
    return *fonts;
}

std::map<std::string, std::wstring>& Faces() {
    static auto* faces = new std::map<std::string, std::wstring>();
    return *faces;
}

// A copy of the current frame of source as a premultiplied 32-bit bitmap,
// which GDI+ draws without converting each time.
std::unique_ptr<Bitmap> Premultiplied(Bitmap& source) {
    int w = static_cast<int>(source.GetWidth());
    int h = static_cast<int>(source.GetHeight());
    auto copy = std::make_unique<Bitmap>(w, h, PixelFormat32bppPARGB);
    if (copy->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Graphics g(copy.get());
    g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    g.DrawImage(&source, 0, 0, w, h);
    return copy;
}

// A stream over a copy of bytes (CreateStreamOnHGlobal: Windows XP exports
// SHCreateMemStream by ordinal only). nullptr when out of memory.
IStream* MemoryStream(std::string_view bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) return nullptr;
    qnb::ScopeExit freeMemory([memory] { GlobalFree(memory); });
    if (void* target = GlobalLock(memory)) {
        std::memcpy(target, bytes.data(), bytes.size());
        GlobalUnlock(memory);
    }
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) return nullptr;
    freeMemory.Release();  // the stream frees it when it is released
    return stream;
}

// The whole of a file on disk (pictures a window shows that are not in the skin).
std::optional<std::string> ReadDiskFile(const std::string& path) {
    qnb::win32::UniqueFile file(CreateFileW(qnb::text::Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::optional<std::string> data;
    LARGE_INTEGER size;
    // Pictures larger than this are not shown.
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 && size.QuadPart < (LONGLONG(64) << 20)) {
        std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        if (ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size()) {
            data = std::move(bytes);
        }
    }
    return data;
}

Picture* Load(const std::string& name) {
    auto& pictures = Pictures();
    auto it = pictures.find(name);
    if (it != pictures.end()) return it->second.get();
    std::unique_ptr<Picture> picture;
    std::optional<std::string> diskBytes;
    std::string_view diskView;
    const std::string_view* bytes = nullptr;
    if (SkinStore::IsDiskPath(name)) {
        diskBytes = ReadDiskFile(name);
        if (diskBytes) {
            diskView = *diskBytes;
            bytes = &diskView;
        }
    } else {
        bytes = Framework::Skin().Find(name);
    }
    if (bytes) {
        IStream* stream = MemoryStream(*bytes);
        if (stream) {
            auto decoded = std::make_unique<Bitmap>(stream);
            if (decoded->GetLastStatus() == Gdiplus::Ok) {
                picture = std::make_unique<Picture>();
                picture->width = static_cast<int>(decoded->GetWidth());
                picture->height = static_cast<int>(decoded->GetHeight());
                GUID dimension = Gdiplus::FrameDimensionTime;
                UINT count = decoded->GetFrameCount(&dimension);
                if (count > 1) {
                    UINT size = decoded->GetPropertyItemSize(PropertyTagFrameDelay);
                    std::vector<char> buffer(size);
                    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
                    bool haveDelays = size > 0 && decoded->GetPropertyItem(PropertyTagFrameDelay, size, item) == Gdiplus::Ok;
                    for (UINT i = 0; i < count; ++i) {
                        decoded->SelectActiveFrame(&dimension, i);
                        if (auto frame = Premultiplied(*decoded)) picture->frames.push_back(std::move(frame));
                        long delay = haveDelays && (i + 1) * 4 <= item->length ? static_cast<long*>(item->value)[i] : 10;
                        picture->delays.push_back(static_cast<int>(delay * 10));
                    }
                } else if (auto frame = Premultiplied(*decoded)) {
                    picture->frames.push_back(std::move(frame));
                }
                if (picture->frames.empty()) picture.reset();
            }
            decoded.reset();
            stream->Release();
        }
    }
    Picture* raw = picture.get();
    pictures[name] = std::move(picture);  // a missing picture is remembered as missing
    return raw;
}

Color ToColor(uint32_t argb) { return Color(argb); }

void RoundRectPath(Gdiplus::GraphicsPath& path, const Gdiplus::RectF& r, float radius) {
    if (radius <= 0) {
        path.AddRectangle(r);
        return;
    }
    path.StartFigure();
    float d = radius * 2;
    if (d > r.Width) d = r.Width;
    if (d > r.Height) d = r.Height;
    path.AddArc(r.X, r.Y, d, d, 180, 90);
    path.AddArc(r.X + r.Width - d, r.Y, d, d, 270, 90);
    path.AddArc(r.X + r.Width - d, r.Y + r.Height - d, d, d, 0, 90);
    path.AddArc(r.X, r.Y + r.Height - d, d, d, 90, 90);
    path.CloseFigure();
}

bool FaceAvailable(const std::wstring& face) {
    Gdiplus::FontFamily family(face.c_str());
    return family.GetLastStatus() == Gdiplus::Ok && family.IsAvailable();
}

// format starts as a copy of the typographic format (no extra padding).
void Configure(Gdiplus::StringFormat& format, unsigned flags) {
    format.SetAlignment(flags & kAlignCenter ? Gdiplus::StringAlignmentCenter
                        : flags & kAlignRight ? Gdiplus::StringAlignmentFar
                                              : Gdiplus::StringAlignmentNear);
    format.SetLineAlignment(flags & kAlignVCenter ? Gdiplus::StringAlignmentCenter
                            : flags & kAlignBottom ? Gdiplus::StringAlignmentFar
                                                   : Gdiplus::StringAlignmentNear);
    INT formatFlags = Gdiplus::StringFormatFlagsMeasureTrailingSpaces;
    if (flags & kSingleLine) formatFlags |= Gdiplus::StringFormatFlagsNoWrap;
    format.SetFormatFlags(formatFlags);
    format.SetTrimming(Gdiplus::StringTrimmingNone);
}

}  // namespace

std::wstring ResolvedFace(const std::string& face) {
    auto& faces = Faces();
    auto it = faces.find(face);
    if (it != faces.end()) return it->second;
    // The layout's face, then the fonts a Chinese Windows has (Windows XP has
    // no YaHei), then the one Wine setups carry.
    std::vector<std::wstring> candidates;
    if (!face.empty()) candidates.push_back(qnb::text::Wide(face));
    for (const wchar_t* f : {L"Microsoft YaHei", L"\x5FAE\x8F6F\x96C5\x9ED1", L"SimSun", L"\x5B8B\x4F53",
                             L"WenQuanYi Micro Hei", L"WenQuanYi Zen Hei", L"Noto Sans CJK SC", L"Tahoma"}) {
        candidates.push_back(f);
    }
    std::wstring chosen;
    for (const std::wstring& c : candidates) {
        if (FaceAvailable(c)) {
            chosen = c;
            break;
        }
    }
    faces[face] = chosen;
    return chosen;
}

Gdiplus::Font* CachedFont(const FontSpec& spec) {
    std::string key = spec.name + "|" + std::to_string(spec.size) + (spec.bold ? "b" : "") +
                      (spec.italic ? "i" : "") + (spec.underline ? "u" : "");
    auto& fonts = Fonts();
    auto it = fonts.find(key);
    if (it != fonts.end()) return it->second.get();
    INT style = Gdiplus::FontStyleRegular;
    if (spec.bold) style |= Gdiplus::FontStyleBold;
    if (spec.italic) style |= Gdiplus::FontStyleItalic;
    if (spec.underline) style |= Gdiplus::FontStyleUnderline;
    std::wstring face = ResolvedFace(spec.name);
    std::unique_ptr<Gdiplus::Font> font;
    if (!face.empty()) {
        Gdiplus::FontFamily family(face.c_str());
        font = std::make_unique<Gdiplus::Font>(&family, static_cast<Gdiplus::REAL>(spec.size), style, Gdiplus::UnitPixel);
    } else {
        font = std::make_unique<Gdiplus::Font>(Gdiplus::FontFamily::GenericSansSerif(),
                                               static_cast<Gdiplus::REAL>(spec.size), style, Gdiplus::UnitPixel);
    }
    if (font->GetLastStatus() != Gdiplus::Ok) font.reset();
    Gdiplus::Font* raw = font.get();
    fonts[key] = std::move(font);
    return raw;
}

std::vector<int> ImageFrameDelays(const std::string& entryName) {
    Picture* picture = Load(entryName);
    return picture ? picture->delays : std::vector<int>();
}

Size ImageSize(const std::string& entryName) {
    Picture* picture = Load(entryName);
    return picture ? Size{picture->width, picture->height} : Size{};
}

void ReleaseRenderResources() {
    Pictures().clear();
    Fonts().clear();
    Faces().clear();
}

RenderGdiplus::RenderGdiplus(HDC dc, std::function<const FontSpec*(int)> fonts, std::string skinFolder)
    : dc_(dc), graphics_(dc), fonts_(std::move(fonts)), skinFolder_(std::move(skinFolder)) {
    graphics_.SetPageUnit(Gdiplus::UnitPixel);
    graphics_.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
}

RenderGdiplus::~RenderGdiplus() = default;

void RenderGdiplus::FillRect(const Rect& rc, uint32_t argb) {
    if ((argb >> 24) == 0xFF) {
        // Opaque: nothing to blend, and GDI fills large areas many times faster.
        Rect area = clipRects_.empty() ? rc : rc.Intersect(clipRects_.back());
        if (area.IsEmpty()) return;
        RECT r{area.left, area.top, area.right, area.bottom};
        SetDCBrushColor(dc_, RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF));
        ::FillRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        return;
    }
    Gdiplus::SolidBrush brush(ToColor(argb));
    graphics_.SetSmoothingMode(Gdiplus::SmoothingModeNone);
    graphics_.FillRectangle(&brush, rc.left, rc.top, rc.Width(), rc.Height());
}

void RenderGdiplus::FillRoundRect(const Rect& rc, int radius, uint32_t argb) {
    if (radius <= 0) return FillRect(rc, argb);
    Gdiplus::SolidBrush brush(ToColor(argb));
    Gdiplus::GraphicsPath path;
    RoundRectPath(path, Gdiplus::RectF(float(rc.left), float(rc.top), float(rc.Width()), float(rc.Height())),
                  float(radius));
    graphics_.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics_.FillPath(&brush, &path);
}

void RenderGdiplus::DrawBorder(const Rect& rc, int width, int radius, uint32_t argb) {
    if (width <= 0 || rc.IsEmpty()) return;
    Gdiplus::SolidBrush brush(ToColor(argb));
    if (radius <= 0) {
        graphics_.SetSmoothingMode(Gdiplus::SmoothingModeNone);
        int w = rc.Width();
        int h = rc.Height();
        graphics_.FillRectangle(&brush, rc.left, rc.top, w, width);
        graphics_.FillRectangle(&brush, rc.left, rc.bottom - width, w, width);
        graphics_.FillRectangle(&brush, rc.left, rc.top + width, width, h - 2 * width);
        graphics_.FillRectangle(&brush, rc.right - width, rc.top + width, width, h - 2 * width);
        return;
    }
    // A ring filled between two outlines: thin pens are not smoothed everywhere, fills are.
    Gdiplus::GraphicsPath ring(Gdiplus::FillModeAlternate);
    RoundRectPath(ring, Gdiplus::RectF(float(rc.left), float(rc.top), float(rc.Width()), float(rc.Height())),
                  float(radius));
    float inner = float(radius - width) > 0 ? float(radius - width) : 0.0f;
    RoundRectPath(ring, Gdiplus::RectF(float(rc.left + width), float(rc.top + width), float(rc.Width() - 2 * width),
                                       float(rc.Height() - 2 * width)),
                  inner);
    graphics_.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics_.FillPath(&brush, &ring);
}

bool RenderGdiplus::DrawImage(const Rect& dest, const ImageSpec& spec, int frame) {
    Picture* picture = Load(SkinStore::Resolve(skinFolder_, spec.file));
    if (!picture) return false;
    Bitmap* bitmap = picture->frames[size_t(frame) < picture->frames.size() ? frame : 0].get();
    Rect source = spec.source ? *spec.source : Rect{0, 0, picture->width, picture->height};
    source = source.Intersect({0, 0, picture->width, picture->height});
    if (source.IsEmpty() || dest.IsEmpty()) return true;

    bool sameSize = source.Width() == dest.Width() && source.Height() == dest.Height();
    std::unique_ptr<Gdiplus::ImageAttributes> attributes;
    if (spec.fade < 255 || !sameSize) attributes = std::make_unique<Gdiplus::ImageAttributes>();
    if (spec.fade < 255) {
        Gdiplus::ColorMatrix matrix = {{{1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 1, 0, 0},
                                        {0, 0, 0, spec.fade / 255.0f, 0}, {0, 0, 0, 0, 1}}};
        attributes->SetColorMatrix(&matrix);
    }
    // A stretched part would blend in the transparent pixels beyond its source
    // rectangle at its edges (a pale seam between the parts of a nine-part
    // picture); mirrored edge pixels take their place.
    if (!sameSize) attributes->SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    graphics_.SetInterpolationMode(sameSize ? Gdiplus::InterpolationModeNearestNeighbor
                                            : Gdiplus::InterpolationModeHighQualityBilinear);
    graphics_.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);

    auto part = [&](int dl, int dt, int dr, int db, int sl, int st, int sr, int sb) {
        if (dr <= dl || db <= dt || sr <= sl || sb <= st) return;
        if (attributes) {
            Gdiplus::Rect d(dl, dt, dr - dl, db - dt);
            graphics_.DrawImage(bitmap, d, sl, st, sr - sl, sb - st, Gdiplus::UnitPixel, attributes.get());
        } else {
            graphics_.DrawImage(bitmap, Gdiplus::Rect(dl, dt, dr - dl, db - dt), sl, st, sr - sl, sb - st,
                                Gdiplus::UnitPixel);
        }
    };
    const Rect& c = spec.corner;
    if (c.left == 0 && c.top == 0 && c.right == 0 && c.bottom == 0) {
        part(dest.left, dest.top, dest.right, dest.bottom, source.left, source.top, source.right, source.bottom);
        return true;
    }
    // Nine parts: corners kept, edges stretched along, the middle stretched both ways.
    int dx[4] = {dest.left, dest.left + c.left, dest.right - c.right, dest.right};
    int dy[4] = {dest.top, dest.top + c.top, dest.bottom - c.bottom, dest.bottom};
    int sx[4] = {source.left, source.left + c.left, source.right - c.right, source.right};
    int sy[4] = {source.top, source.top + c.top, source.bottom - c.bottom, source.bottom};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            part(dx[col], dy[row], dx[col + 1], dy[row + 1], sx[col], sy[row], sx[col + 1], sy[row + 1]);
        }
    }
    return true;
}

Gdiplus::Font* RenderGdiplus::FontFor(int id) {
    const FontSpec* spec = fonts_ ? fonts_(id) : nullptr;
    static const FontSpec fallback{0, "", 12, false, false, false, true};
    return CachedFont(spec ? *spec : fallback);
}

void RenderGdiplus::RenderText(const Rect& rc, std::string_view text, const TextStyle& style) {
    Gdiplus::Font* font = FontFor(style.font);
    if (!font || text.empty()) return;
    std::wstring wide = qnb::text::Wide(text);
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    Configure(format, style.flags);
    Gdiplus::SolidBrush brush(ToColor(style.colour));
    Gdiplus::RectF layout(float(rc.left), float(rc.top), float(rc.Width()), float(rc.Height()));
    graphics_.DrawString(wide.c_str(), static_cast<INT>(wide.size()), font, layout, &format, &brush);
}

Size RenderGdiplus::MeasureText(std::string_view text, int fontId, int maxWidth) {
    Gdiplus::Font* font = FontFor(fontId);
    if (!font || text.empty()) return {};
    std::wstring wide = qnb::text::Wide(text);
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    Configure(format, maxWidth > 0 ? kWordBreak : kSingleLine);
    Gdiplus::RectF layout(0, 0, maxWidth > 0 ? float(maxWidth) : 100000.0f, 100000.0f);
    Gdiplus::RectF bounds;
    graphics_.MeasureString(wide.c_str(), static_cast<INT>(wide.size()), font, layout, &format, &bounds);
    return {static_cast<int>(std::ceil(bounds.Width)), static_cast<int>(std::ceil(bounds.Height))};
}

void RenderGdiplus::DrawArc(int x, int y, int width, int height, float startAngle, float sweepAngle, int penWidth,
                            uint32_t argb) {
    Gdiplus::Pen pen(ToColor(argb), float(penWidth));
    graphics_.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics_.DrawArc(&pen, x, y, width, height, startAngle, sweepAngle);
}

void RenderGdiplus::PushClip(const Rect& rc) {
    clips_.push_back(graphics_.Save());
    graphics_.IntersectClip(Gdiplus::Rect(rc.left, rc.top, rc.Width(), rc.Height()));
    Rect limit = clipRects_.empty() ? rc : rc.Intersect(clipRects_.back());
    clipRects_.push_back(limit);
}

void RenderGdiplus::PopClip() {
    if (clips_.empty()) return;
    graphics_.Restore(clips_.back());
    clips_.pop_back();
    clipRects_.pop_back();
}

}  // namespace uikit
