#include "uikit/core/layout_document.h"

#include "uikit/core/attribute_values.h"

#include <pugixml.hpp>

namespace uikit {

const std::string* LayoutNode::Find(std::string_view name) const {
    for (const auto& [key, value] : attributes) {
        if (key == name) return &value;
    }
    return nullptr;
}

namespace {

AttributeList Attributes(const pugi::xml_node& node) {
    AttributeList list;
    for (const pugi::xml_attribute& a : node.attributes()) list.emplace_back(a.name(), a.value());
    return list;
}

bool Convert(const pugi::xml_node& node, int depth, LayoutNode* out, std::string* error) {
    if (depth > kMaxLayoutDepth) {
        *error = "elements nest too deep";
        return false;
    }
    out->tag = node.name();
    out->attributes = Attributes(node);
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() != pugi::node_element) continue;
        out->children.emplace_back();
        if (!Convert(child, depth + 1, &out->children.back(), error)) return false;
    }
    return true;
}

bool ReadFont(const pugi::xml_node& node, FontSpec* font, std::string* error) {
    for (const pugi::xml_attribute& a : node.attributes()) {
        std::string_view name = a.name();
        std::string_view value = a.value();
        bool ok = true;
        if (name == "id") {
            auto n = ParseInt(value);
            ok = n && *n >= 0;
            if (ok) font->id = *n;
        } else if (name == "name") {
            font->name = a.value();
        } else if (name == "size") {
            auto n = ParseInt(value);
            ok = n && *n > 0 && *n <= 400;
            if (ok) font->size = *n;
        } else if (name == "bold" || name == "underline" || name == "italic" || name == "default") {
            auto b = ParseBool(value);
            ok = b.has_value();
            if (ok) {
                if (name == "bold") font->bold = *b;
                else if (name == "underline") font->underline = *b;
                else if (name == "italic") font->italic = *b;
                else font->isDefault = *b;
            }
        }
        if (!ok) {
            *error = "Font: bad " + std::string(name) + " \"" + std::string(value) + "\"";
            return false;
        }
    }
    return true;
}

enum class Style { kNone, kRead, kBad };

// A Font or Default element into fonts or defaults; kNone for any other element.
Style ReadStyle(const pugi::xml_node& node, std::vector<FontSpec>* fonts, std::vector<DefaultAttributes>* defaults,
                std::string* error) {
    std::string_view tag = node.name();
    if (tag == "Font") {
        FontSpec font;
        if (!ReadFont(node, &font, error)) return Style::kBad;
        for (const FontSpec& f : *fonts) {
            if (f.id == font.id) {
                *error = "Font: id " + std::to_string(font.id) + " is declared twice";
                return Style::kBad;
            }
        }
        fonts->push_back(font);
        return Style::kRead;
    }
    if (tag == "Default") {
        DefaultAttributes d;
        d.tag = node.attribute("name").value();
        auto list = ParseAttributeList(node.attribute("value").value());
        if (d.tag.empty() || !list) {
            *error = "Default: needs a name and a value of name=\"value\" pairs";
            return Style::kBad;
        }
        d.attributes = std::move(*list);
        defaults->push_back(std::move(d));
        return Style::kRead;
    }
    return Style::kNone;
}

pugi::xml_node ReadDocument(const pugi::xml_document& doc, const pugi::xml_parse_result& parsed, std::string* error) {
    if (!parsed) {
        *error = std::string("XML: ") + parsed.description() + " at offset " + std::to_string(parsed.offset);
        return {};
    }
    pugi::xml_node top = doc.document_element();
    if (!top) *error = "no root element";
    return top;
}

}  // namespace

bool ParseLayout(std::string_view xml, LayoutDocument* document, std::string* error) {
    *document = LayoutDocument();
    pugi::xml_document doc;
    pugi::xml_node top =
        ReadDocument(doc, doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8), error);
    if (!top) return false;
    if (std::string_view(top.name()) != "Window") {
        document->hasWindow = false;
        return Convert(top, 0, &document->root, error);
    }
    document->hasWindow = true;
    document->window = Attributes(top);
    bool haveRoot = false;
    for (const pugi::xml_node& child : top.children()) {
        if (child.type() != pugi::node_element) continue;
        Style style = ReadStyle(child, &document->fonts, &document->defaults, error);
        if (style == Style::kBad) return false;
        if (style == Style::kNone) {
            if (haveRoot) {
                *error = "a Window holds one control element, found a second: " + std::string(child.name());
                return false;
            }
            haveRoot = true;
            if (!Convert(child, 1, &document->root, error)) return false;
        }
    }
    if (!haveRoot) {
        *error = "the Window holds no control element";
        return false;
    }
    return true;
}

bool ParseSharedStyles(std::string_view xml, SharedStyles* styles, std::string* error) {
    *styles = SharedStyles();
    pugi::xml_document doc;
    pugi::xml_node top =
        ReadDocument(doc, doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8), error);
    if (!top) return false;
    if (std::string_view(top.name()) != "Global") {
        *error = "the shared styles' root is Global, found " + std::string(top.name());
        return false;
    }
    for (const pugi::xml_node& child : top.children()) {
        if (child.type() != pugi::node_element) continue;
        Style style = ReadStyle(child, &styles->fonts, &styles->defaults, error);
        if (style == Style::kBad) return false;
        if (style == Style::kNone) {
            *error = "Global holds Font and Default elements only, found " + std::string(child.name());
            return false;
        }
    }
    return true;
}

bool ApplySharedStyles(const SharedStyles& shared, LayoutDocument* document, std::string* error) {
    bool sharedDefault = false;
    for (const FontSpec& f : shared.fonts) sharedDefault = sharedDefault || f.isDefault;
    for (const FontSpec& own : document->fonts) {
        for (const FontSpec& f : shared.fonts) {
            if (f.id == own.id) {
                *error = "Font: id " + std::to_string(own.id) + " is global.xml's; a layout may not redeclare it";
                return false;
            }
        }
        if (own.isDefault && sharedDefault) {
            *error = "Font: id " + std::to_string(own.id) + " claims to be the default, which global.xml names";
            return false;
        }
    }
    std::vector<FontSpec> fonts = shared.fonts;
    fonts.insert(fonts.end(), document->fonts.begin(), document->fonts.end());
    document->fonts = std::move(fonts);
    std::vector<DefaultAttributes> defaults = shared.defaults;
    defaults.insert(defaults.end(), document->defaults.begin(), document->defaults.end());
    document->defaults = std::move(defaults);
    return true;
}

}  // namespace uikit
