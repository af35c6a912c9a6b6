// The records of the service's answers (image catalogue, update), kept in AppContext.
#pragma once

#include <cstdint>
#include <string>

namespace qnb {

// One installable Windows image.
struct CatalogueEntry {
    int32_t index = 0;        // position in the service's list, from 0
    std::string url;          // download address of the image file
    std::string name;
    std::string des;          // description
    int64_t size = 0;         // bytes
    int64_t date = 0;         // seconds since 1970-01-01
    int32_t imagetype = 0;    // OS type code of the image
    bool brecommend = false;  // recommended by the service
    bool selected = false;    // the entry currently chosen
    int32_t groupid = 0;
};

struct CatalogueGroup {
    std::string name;
    int32_t id = 0;
};

// The service's answer to the update check.
struct UpdateInfo {
    bool status = false;       // a newer version exists
    bool must = false;         // prompt the user
    std::string description;
    std::string url;           // download page of the new version
    std::string vername;       // the new version's name
};

}  // namespace qnb
