// SETTING.JSON as a fresh machine gets it, byte for byte.
#pragma once

#include <string>

namespace qnb::test {

inline std::string FreshSetting(int selDisk, int selPar, bool sameDisk) {
    return "{\r\n"
           "   \"LocalPeUrl\" : \"\",\r\n"
           "   \"Option\" : -1,\r\n"
           "   \"QQLogFolder\" : \"\",\r\n"
           "   \"SoftCount\" : 0,\r\n"
           "   \"bLocalImage\" : false,\r\n"
           "   \"bRepart\" : false,\r\n"
           "   \"bSameDisk\" : " + std::string(sameDisk ? "true" : "false") + ",\r\n"
           "   \"bShowedNote\" : false,\r\n"
           "   \"nSelDisk\" : " + std::to_string(selDisk) + ",\r\n"
           "   \"nSelPar\" : " + std::to_string(selPar) + ",\r\n"
           "   \"nWIMPart\" : 0,\r\n"
           "   \"strImagePath\" : \"\"\r\n"
           "}\r\n";
}

}  // namespace qnb::test
