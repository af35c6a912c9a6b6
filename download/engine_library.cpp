#include "download/engine_library.h"

#include "platform/paths.h"
#include "platform/text.h"

#include <algorithm>
#include <cstring>

namespace qnb {

namespace {

void Put(char16_t* field, size_t units, std::string_view utf8) {
    std::u16string wide = text::Utf8ToUtf16(utf8);
    std::copy_n(wide.begin(), std::min(wide.size(), units - 1), field);
}

}  // namespace

void FillTaskParams(const std::string& url, const std::string& savePath, EngineTaskParams* params) {
    std::memset(params, 0, sizeof *params);
    Put(params->url, 2048, url);
    Put(params->fileName, engine::kPathUnits, paths::FileName(savePath));
    Put(params->folder, engine::kPathUnits, paths::Folder(savePath));
    params->onlyOriginal = 0;
    params->resume = 1;
}

}  // namespace qnb
