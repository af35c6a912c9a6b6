// Points, sizes and rectangles in window client pixels.
#pragma once

#include <algorithm>

namespace uikit {

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};

struct Size {
    int cx = 0;
    int cy = 0;
    bool operator==(const Size& o) const { return cx == o.cx && cy == o.cy; }
};

// Half-open: a point on right or bottom is outside.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    Point Centre() const { return {left + Width() / 2, top + Height() / 2}; }

    Rect Intersect(const Rect& o) const {
        Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
        if (r.IsEmpty()) return {};
        return r;
    }
    bool Intersects(const Rect& o) const { return !Intersect(o).IsEmpty(); }
    Rect Union(const Rect& o) const {
        if (IsEmpty()) return o;
        if (o.IsEmpty()) return *this;
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
    }
    Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    // Moves each edge inwards by the matching field of insets.
    Rect Deflate(const Rect& insets) const {
        return {left + insets.left, top + insets.top, right - insets.right, bottom - insets.bottom};
    }
    bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const Rect& o) const { return !(*this == o); }
};

}  // namespace uikit
