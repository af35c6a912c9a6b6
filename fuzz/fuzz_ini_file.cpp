// QQ's UserDataInfo.ini is another program's file: any bytes must be read
// without a fault, and a value never holds a line break.
#include "filebackup/ini_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qnb::IniFile ini(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const char* key : {"UserDataSavePath", "UserDataSavePathType", ""}) {
        std::optional<std::string> value = ini.Text("UserDataSet", key);
        if (value && value->find_first_of("\r\n") != std::string::npos) std::abort();
        ini.Number("UserDataSet", key, 0);
    }
    return 0;
}
