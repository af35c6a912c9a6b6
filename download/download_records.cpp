#include "download/download_records.h"

#include "platform/ascii.h"
#include "platform/bounded_json.h"
#include "platform/sha256.h"
#include "platform/text.h"

#include <json/json.h>

#include <cctype>
#include <memory>

namespace qnb {

std::string RenderDownloadRecords(const std::vector<CompletedDownload>& done) {
    Json::Value root(Json::objectValue);
    root["count"] = static_cast<Json::UInt>(done.size());
    Json::Value list(Json::arrayValue);
    for (const CompletedDownload& d : done) {
        Json::Value entry(Json::objectValue);
        entry["url"] = text::Utf8ToAnsi(d.url);
        entry["file"] = text::Utf8ToAnsi(d.file);
        if (!d.sha256.empty()) entry["sha256"] = d.sha256;
        if (d.size > 0) entry["size"] = static_cast<Json::UInt64>(d.size);
        list.append(entry);
    }
    root["list"] = list;
    // jsoncpp's styled layout, with bytes above 0x7F kept as they are (the
    // styled writer would take the ANSI text for UTF-8 and escape it).
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    builder["commentStyle"] = "None";
    builder["emitUTF8"] = true;
    std::string out = Json::writeString(builder, root);
    out += '\n';
    return text::ToCrLf(out);
}

std::vector<CompletedDownload> ParseDownloadRecords(std::string_view bytes) {
    std::vector<CompletedDownload> entries;
    std::optional<Json::Value> document = json::Parse(bytes);
    if (!document || !document->isObject()) return entries;
    const Json::Value& root = *document;
    const Json::Value& count = root["count"];
    const Json::Value& list = root["list"];
    if (!count.isIntegral() || !list.isArray()) return entries;
    Json::LargestInt wanted = count.asLargestInt();
    for (Json::ArrayIndex i = 0; i < list.size() && Json::LargestInt(i) < wanted; ++i) {
        const Json::Value& entry = list[i];
        if (!entry.isObject()) continue;
        const Json::Value& url = entry["url"];
        const Json::Value& file = entry["file"];
        const Json::Value& hash = entry["sha256"];
        const Json::Value& size = entry["size"];
        if (!url.isString() || !file.isString()) continue;
        if (!hash.isNull() && !(hash.isString() && IsSha256Hex(hash.asString()))) continue;
        if (!size.isNull() && !size.isUInt64()) continue;
        std::string u = url.asString(), f = file.asString();
        bool drivePath = f.size() >= 3 && std::isalpha(static_cast<unsigned char>(f[0])) && f[1] == ':' && f[2] == '\\';
        if (u.empty() || !drivePath || f.size() > 259) continue;
        CompletedDownload done{text::AnsiToUtf8(u), text::AnsiToUtf8(f)};
        if (hash.isString()) done.sha256 = ascii::ToLower(hash.asString());
        if (size.isUInt64()) done.size = size.asUInt64();
        entries.push_back(std::move(done));
    }
    return entries;
}

}  // namespace qnb
