// A layout file read into a plain description: the window's own
// attributes, its fonts and default attributes, and the element tree of its
// controls; and the skin's shared styles (global.xml), which every window
// has before its own. Nothing is created here; the builder makes controls
// from it.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace uikit {

using AttributeList = std::vector<std::pair<std::string, std::string>>;

struct LayoutNode {
    std::string tag;
    AttributeList attributes;  // in document order
    std::vector<LayoutNode> children;

    // The value of the attribute, or nullptr.
    const std::string* Find(std::string_view name) const;
};

struct FontSpec {
    int id = 0;
    std::string name;  // face name as written ("微软雅黑")
    int size = 12;     // pixels
    bool bold = false;
    bool underline = false;
    bool italic = false;
    bool isDefault = false;
};

struct DefaultAttributes {
    std::string tag;          // the element the defaults apply to ("Button")
    AttributeList attributes;
};

struct LayoutDocument {
    bool hasWindow = false;   // false for a fragment (a list row file)
    AttributeList window;     // attributes of the Window element
    std::vector<FontSpec> fonts;
    std::vector<DefaultAttributes> defaults;
    LayoutNode root;          // the one control element
};

// The fonts and defaults of a skin's global.xml.
struct SharedStyles {
    std::vector<FontSpec> fonts;
    std::vector<DefaultAttributes> defaults;
};

// Elements may nest this deep; deeper documents are refused.
constexpr int kMaxLayoutDepth = 48;

// Reads UTF-8 XML. A document is either a Window element holding Font and
// Default elements and one control element, or a single control element.
// False with a reason in error for malformed XML, a missing or second root
// control, bad Font or Default elements, two fonts with one id, or too deep
// nesting.
bool ParseLayout(std::string_view xml, LayoutDocument* document, std::string* error);

// Reads a Global element that holds Font and Default elements only. False
// with a reason for malformed XML, another root, any other element, bad
// Font or Default elements, or two fonts with one id.
bool ParseSharedStyles(std::string_view xml, SharedStyles* styles, std::string* error);

// Gives a window the shared fonts and defaults, before its own. A font id
// means one font in every window: a layout may add fonts under ids of its
// own, but one that redeclares a shared id, or marks another font as the
// default, is refused (false, with the reason). A layout's Default of an
// element applies after the shared one, so its values win.
bool ApplySharedStyles(const SharedStyles& shared, LayoutDocument* document, std::string* error);

}  // namespace uikit
