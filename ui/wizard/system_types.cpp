#include "ui/wizard/system_types.h"

#include <cstdio>
#include <ctime>

namespace qnb::ui {

namespace {

struct SystemType {
    int32_t code;
    const char* tip;
    const char* label;
};

constexpr SystemType kTypes[] = {
    {1, "skin/xp.jpg", "已选择：Windows XP"},
    {2, "skin/win7_32.jpg", "已选择：Windows 7 32位"},
    {4, "skin/win7_64.jpg", "已选择：Windows 7 64位"},
    {8, "skin/win8_32.jpg", "已选择：Windows 8 32位"},
    {16, "skin/win8_64.jpg", "已选择：Windows 8 64位"},
    {32, "skin/win10_32.jpg", "已选择：Windows 10 32位"},
    {64, "skin/win10_64.jpg", "已选择：Windows 10 64位"},
};

const SystemType* Find(int32_t code) {
    for (const SystemType& type : kTypes) {
        if (type.code == code) return &type;
    }
    return nullptr;
}

}  // namespace

const char* TipPictureOf(int32_t imageType) {
    const SystemType* type = Find(imageType);
    return type ? type->tip : "skin/default.jpg";
}

const char* InstallLabelOf(int32_t imageType) {
    const SystemType* type = Find(imageType);
    return type ? type->label : "未选择系统";
}

bool IsRecommended(const CatalogueEntry& entry, int machineTypeCode) {
    // Type 0 is no family at all (Vista, an unknown Windows): nothing fits it.
    return entry.brecommend && machineTypeCode != 0 && entry.imagetype == machineTypeCode;
}

std::string CatalogueSizeText(int64_t bytes) {
    const double size = static_cast<double>(bytes);
    const char* unit = nullptr;
    double value = 0;
    if (bytes > 1073741824) {
        value = size / 1073741824.0;
        unit = "GB";
    } else if (bytes > 1048576) {
        value = size / 1048576.0;
        unit = "MB";
    } else if (bytes > 1024) {
        value = size / 1024.0;
        unit = "KB";
    } else {
        return {};
    }
    char text[64];
    std::snprintf(text, sizeof text, "%0.1f%s", value, unit);
    return text;
}

std::string CatalogueDateText(int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &t) != 0) return {};
#else
    if (!localtime_r(&t, &local)) return {};
#endif
    char text[32];
    if (std::strftime(text, sizeof text, "%Y-%m-%d", &local) == 0) return {};
    return text;
}

}  // namespace qnb::ui
