#include "images/image_list.h"

#include "platform/ascii.h"

#include <pugixml.hpp>

namespace qnb::images {

std::string ImageEntry::Label() const {
    if (!displayDescription.empty()) return displayDescription;
    if (!name.empty()) return name;
    return "映像 " + index;
}

std::vector<ImageEntry> ParseImageList(std::string_view xml) {
    pugi::xml_document document;
    if (!document.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8)) return {};
    std::vector<ImageEntry> images;
    for (pugi::xml_node child : document.document_element().children()) {
        if (child.type() != pugi::node_element || !ascii::EqualsIgnoringCase(child.name(), "IMAGE")) continue;
        ImageEntry entry;
        entry.index = child.attribute("INDEX").value();
        entry.name = child.child("NAME").text().get();
        entry.displayDescription = child.child("DISPLAYDESCRIPTION").text().get();
        images.push_back(std::move(entry));
    }
    return images;
}

}  // namespace qnb::images
