#include "download/engine_library.h"

#include "platform/text.h"

#include <algorithm>
#include <cstring>

namespace qnb {

namespace {

void Put(char16_t* field, size_t units, const std::string& utf8) {
    std::u16string wide = text::Utf8ToUtf16(utf8);
    std::copy_n(wide.begin(), std::min(wide.size(), units - 1), field);
}

}  // namespace

std::string FileNameOf(const std::string& savePath) {
    size_t slash = savePath.find_last_of('\\');
    return slash == std::string::npos ? savePath : savePath.substr(slash + 1);
}

std::string FolderOf(const std::string& savePath) {
    size_t slash = savePath.find_last_of('\\');
    return slash == std::string::npos ? std::string() : savePath.substr(0, slash + 1);
}

void FillTaskParams(const std::string& url, const std::string& savePath, EngineTaskParams* params) {
    std::memset(params, 0, sizeof *params);
    Put(params->url, 2048, url);
    Put(params->fileName, engine::kPathUnits, FileNameOf(savePath));
    Put(params->folder, engine::kPathUnits, FolderOf(savePath));
    params->onlyOriginal = 0;
    params->resume = 1;
}

}  // namespace qnb
