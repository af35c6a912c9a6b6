// A WIM's header names where its XML description lies and how long it is,
// and imagex's listing is read as XML: whatever a file says, reading it
// stays inside it, and the listing's parse stays inside the text.
#include "images/image_list.h"
#include "images/wim_file.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qnb::wim::ReadAt read = [&](uint64_t offset, size_t length, uint8_t* out) {
        if (offset > size || length > size - offset) return false;
        if (length) std::memcpy(out, data + offset, length);
        return true;
    };
    qnb::wim::Problem problem;
    if (std::optional<std::string> xml = qnb::wim::ReadXml(read, size, &problem)) {
        for (const qnb::images::ImageEntry& image : qnb::images::ParseImageList(*xml)) image.Label();
    }
    qnb::images::ParseImageList(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
