#include "ui/restore/backup_records.h"

#include "platform/ascii.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "ui/backup/system_backup.h"

#include <json/json.h>

#include <cstdio>
#include <memory>
#include <optional>

namespace qnb::ui {

namespace {

bool TakeString(const Json::Value& element, const char* key, std::string* out) {
    const Json::Value* value = element.find(key, key + std::char_traits<char>::length(key));
    if (!value || !value->isString()) return false;
    *out = text::AnsiToUtf8(value->asString());
    return true;
}

}  // namespace

std::vector<BackupRecord> ParseBackupRecords(std::string_view bytes) {
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    builder["stackLimit"] = 64;  // records are two levels deep; deep nesting is no record file
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    try {
        if (!reader->parse(bytes.data(), bytes.data() + bytes.size(), &root, &errors)) return {};
    } catch (const Json::Exception&) {
        return {};  // the reader throws when the nesting passes its limit
    }
    if (!root.isObject()) return {};
    static constexpr char kList[] = "list";
    const Json::Value* list = root.find(kList, kList + 4);
    if (!list || !list->isArray()) return {};
    std::vector<BackupRecord> records;
    for (const Json::Value& element : *list) {
        if (!element.isObject()) continue;
        BackupRecord r;
        if (TakeString(element, "time", &r.time) && TakeString(element, "sys", &r.sys) &&
            TakeString(element, "note", &r.note) && TakeString(element, "pic", &r.pic) &&
            TakeString(element, "file", &r.file)) {
            records.push_back(std::move(r));
        }
    }
    return records;
}

std::vector<BackupRecord> LoadBackupRecords(FileSystem& files, const std::string& workspace) {
    const std::string path = SystemBackupFolder(workspace) + kRecordFile;
    Result<FileFacts> facts = files.facts(path);
    if (!facts || (facts->attributes & kFileAttributeDirectory) || facts->size > kLargestRecordFile) return {};
    std::optional<std::string> bytes = files.readFile(path);
    if (!bytes) return {};
    return ParseBackupRecords(*bytes);
}

int64_t DayNumberUtc8(int64_t seconds) { return (seconds + 28800) / 86400; }

std::vector<std::string> BackupRowTexts(const std::vector<BackupRecord>& records, const LocalDateOf& localDate) {
    std::vector<std::string> texts;
    // The first entry has no previous one to share a day with (not even day 0).
    std::optional<int64_t> previousDay;
    int n = 0;
    for (const BackupRecord& record : records) {
        const int64_t t = ParseRecordTime(record.time);
        std::string text = ChineseDate(localDate(t));
        const int64_t day = DayNumberUtc8(t);
        if (day == previousDay) {
            ++n;
            text += " (" + std::to_string(n) + ")";
        } else {
            n = 0;
            previousDay = day;
        }
        texts.push_back(std::move(text));
    }
    return texts;
}

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name.back() == '.' || name.back() == ' ') return false;
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
            c == '>' || c == '|') {
            return false;
        }
    }
    // A device name is a device whatever its extension: "NUL.wim" opens NUL.
    std::string_view stem = name.substr(0, name.find('.'));
    stem = ascii::TrimEnd(stem, " ");
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (ascii::EqualsIgnoringCase(stem, device)) return false;
    }
    if (stem.size() == 4 && (ascii::StartsWithIgnoringCase(stem, "COM") || ascii::StartsWithIgnoringCase(stem, "LPT")) &&
        stem[3] >= '0' && stem[3] <= '9') {
        return false;
    }
    return true;
}

std::string ImageSizeText(uint64_t size) {
    char text[64];
    if (size > 1073741824) {
        std::snprintf(text, sizeof text, "镜像大小：%0.1fGB", static_cast<double>(size) / 1073741824);
    } else {
        std::snprintf(text, sizeof text, "镜像大小：%0.1fMB", static_cast<double>(size) / 1048576);
    }
    return text;
}

std::string ImagePathOf(const BackupRecord& record, const std::string& workspace) {
    return IsPlainFileName(record.file) ? SystemBackupFolder(workspace) + record.file : std::string();
}

BackupView ViewOfBackup(const BackupRecord& record, FileSystem& files, const std::string& workspace) {
    uint64_t size = 0;
    const std::string image = ImagePathOf(record, workspace);
    if (!image.empty()) {
        Result<FileFacts> facts = files.facts(image);
        if (facts && !(facts->attributes & kFileAttributeDirectory)) size = facts->size;
    }
    BackupView view;
    if (size == 0) {
        view.sizeText = kUnknownSizeText;
        view.systemText = kUnknownSystemText;
        return view;
    }
    view.found = true;
    view.sizeText = ImageSizeText(size);
    view.systemText = "系统版本：" + record.sys;
    if (IsPlainFileName(record.pic)) view.picture = PictureFolder(workspace) + record.pic;
    view.note = record.note;
    return view;
}

}  // namespace qnb::ui
