#include "net/service_answers.h"

#include "app/download_address.h"
#include "platform/ascii.h"
#include "platform/bounded_json.h"
#include "platform/sha256.h"
#include "platform/text.h"

#include <json/json.h>

#include <memory>

namespace qnb::net {

namespace {

bool ParseJson(std::string_view body, Json::Value* root) {
    json::Limits limits;
    limits.maxBytes = json::kMaxAnswerBytes;
    std::optional<Json::Value> document = json::Parse(body, limits);
    if (!document) return false;
    *root = std::move(*document);
    return true;
}

// Texts inside the program are valid UTF-8, whatever the service sent.
std::string CleanText(const std::string& s) { return text::Utf16ToUtf8(text::Utf8ToUtf16(s)); }

bool ReadText(const Json::Value& object, const char* key, std::string* out) {
    const Json::Value& v = object[key];
    if (v.isNull()) {
        out->clear();
        return true;
    }
    if (!v.isString()) return false;
    *out = CleanText(v.asString());
    return true;
}

bool ReadBool(const Json::Value& object, const char* key, bool* out) {
    const Json::Value& v = object[key];
    if (v.isNull()) {
        *out = false;
        return true;
    }
    if (!v.isBool()) return false;
    *out = v.asBool();
    return true;
}

bool ReadInt(const Json::Value& object, const char* key, int32_t* out) {
    const Json::Value& v = object[key];
    if (v.isNull()) {
        *out = 0;
        return true;
    }
    if (!v.isInt()) return false;
    *out = v.asInt();
    return true;
}

// A decimal number in a JSON string ("4294967296"); "" reads as 0.
bool ReadDecimalText(const Json::Value& object, const char* key, int64_t* out) {
    const Json::Value& v = object[key];
    *out = 0;
    if (v.isNull()) return true;
    if (!v.isString()) return false;
    std::string s = v.asString();
    if (s.size() > 18) return false;  // stays below 2^63 without further checks
    int64_t value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    *out = value;
    return true;
}

}  // namespace

std::optional<Catalogue> ParseCatalogue(std::string_view body, int osTypeCode) {
    if (body.empty()) return std::nullopt;
    Json::Value root;
    if (!ParseJson(body, &root) || !root.isObject()) return std::nullopt;
    const Json::Value& list = root["list"];
    const Json::Value& groups = root["group"];
    if (!list.isArray() || list.size() < 1) return std::nullopt;
    if (!groups.isNull() && !groups.isArray()) return std::nullopt;

    Catalogue catalogue;
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        const Json::Value& item = list[i];
        if (!item.isObject()) return std::nullopt;
        CatalogueEntry e;
        e.index = static_cast<int32_t>(i);
        if (!ReadText(item, "url", &e.url) || !ReadText(item, "name", &e.name) || !ReadText(item, "des", &e.des) ||
            !ReadDecimalText(item, "size", &e.size) || !ReadDecimalText(item, "date", &e.date) ||
            !ReadInt(item, "imagetype", &e.imagetype) || !ReadBool(item, "brecommend", &e.brecommend) ||
            !ReadInt(item, "groupid", &e.groupid)) {
            return std::nullopt;
        }
        // The service's hash, when it gives one, travels with the address,
        // so that the download is checked against it and against the size.
        const Json::Value& hash = item["sha256"];
        if (!hash.isNull() && !(hash.isString() && IsSha256Hex(hash.asString()))) return std::nullopt;
        if (!e.url.empty()) {
            e.url = AddressWithChecks(e.url, hash.isString() ? hash.asString() : std::string(),
                                      e.size > 0 ? static_cast<uint64_t>(e.size) : 0);
        }
        // A Windows of type code 0 (Vista, or unknown) has no image of its own.
        e.selected = e.brecommend && osTypeCode != 0 && e.imagetype == osTypeCode;
        catalogue.entries.push_back(std::move(e));
    }
    for (Json::ArrayIndex i = 0; groups.isArray() && i < groups.size(); ++i) {
        const Json::Value& item = groups[i];
        if (!item.isObject()) return std::nullopt;
        CatalogueGroup g;
        if (!ReadInt(item, "id", &g.id) || !ReadText(item, "name", &g.name)) return std::nullopt;
        catalogue.groups.push_back(std::move(g));
    }
    return catalogue;
}

std::string PackageUrlFromAnswer(std::string_view body) {
    std::string url(ascii::Trim(body, ascii::kWhitespace));
    if (!AcceptableDownloadUrl(url) || !ParseDownloadAddress(url).valid) return {};
    return url;
}

UpdateAnswer ParseUpdate(std::string_view body, UpdateInfo* info) {
    if (body.empty()) return UpdateAnswer::kEmpty;
    Json::Value root;
    if (!ParseJson(body, &root) || !root.isObject()) return UpdateAnswer::kUnparsable;
    UpdateInfo answer;
    if (!ReadBool(root, "status", &answer.status)) return UpdateAnswer::kUnparsable;
    if (answer.status) {
        if (!ReadBool(root, "must", &answer.must) || !ReadText(root, "description", &answer.description) ||
            !ReadText(root, "url", &answer.url) || !ReadText(root, "vername", &answer.vername)) {
            return UpdateAnswer::kUnparsable;
        }
    }
    *info = std::move(answer);
    return UpdateAnswer::kAnswered;
}

}  // namespace qnb::net
