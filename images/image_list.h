// The images of a WIM as imagex lists them ("imagex /xml /info WIM", XML
// in UTF-8): every child of the root element named IMAGE, in document order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qnb::images {

struct ImageEntry {
    std::string index;               // the IMAGE element's INDEX attribute, as written
    std::string name;                // NAME
    std::string displayDescription;  // DISPLAYDESCRIPTION
    // What the choice shows: the display description, else the name, else
    // "映像 " and the index, so that no line of the list is blank.
    std::string Label() const;
};

// Nothing for text that is not XML; the IMAGE name is matched without
// regard to case, the names inside it exactly.
std::vector<ImageEntry> ParseImageList(std::string_view xml);

}  // namespace qnb::images
