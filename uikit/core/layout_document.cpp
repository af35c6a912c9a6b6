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

}  // namespace

bool ParseLayout(std::string_view xml, LayoutDocument* document, std::string* error) {
    *document = LayoutDocument();
    pugi::xml_document doc;
    pugi::xml_parse_result parsed =
        doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
        *error = std::string("XML: ") + parsed.description() + " at offset " + std::to_string(parsed.offset);
        return false;
    }
    pugi::xml_node top = doc.document_element();
    if (!top) {
        *error = "no root element";
        return false;
    }
    if (std::string_view(top.name()) != "Window") {
        document->hasWindow = false;
        return Convert(top, 0, &document->root, error);
    }
    document->hasWindow = true;
    document->window = Attributes(top);
    bool haveRoot = false;
    for (const pugi::xml_node& child : top.children()) {
        if (child.type() != pugi::node_element) continue;
        std::string_view tag = child.name();
        if (tag == "Font") {
            FontSpec font;
            if (!ReadFont(child, &font, error)) return false;
            document->fonts.push_back(font);
        } else if (tag == "Default") {
            DefaultAttributes defaults;
            defaults.tag = child.attribute("name").value();
            auto list = ParseAttributeList(child.attribute("value").value());
            if (defaults.tag.empty() || !list) {
                *error = "Default: needs a name and a value of name=\"value\" pairs";
                return false;
            }
            defaults.attributes = std::move(*list);
            document->defaults.push_back(std::move(defaults));
        } else {
            if (haveRoot) {
                *error = "a Window holds one control element, found a second: " + std::string(tag);
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

}  // namespace uikit
