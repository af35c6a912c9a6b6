#include "download/download_records.h"

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
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    std::vector<CompletedDownload> entries;
    if (!reader->parse(bytes.data(), bytes.data() + bytes.size(), &root, &errors) || !root.isObject()) return entries;
    const Json::Value& count = root["count"];
    const Json::Value& list = root["list"];
    if (!count.isIntegral() || !list.isArray()) return entries;
    Json::LargestInt wanted = count.asLargestInt();
    for (Json::ArrayIndex i = 0; i < list.size() && Json::LargestInt(i) < wanted; ++i) {
        const Json::Value& entry = list[i];
        if (!entry.isObject()) continue;
        const Json::Value& url = entry["url"];
        const Json::Value& file = entry["file"];
        if (!url.isString() || !file.isString()) continue;
        std::string u = url.asString(), f = file.asString();
        bool drivePath = f.size() >= 3 && std::isalpha(static_cast<unsigned char>(f[0])) && f[1] == ':' && f[2] == '\\';
        if (u.empty() || !drivePath || f.size() > 259) continue;
        entries.push_back({text::AnsiToUtf8(u), text::AnsiToUtf8(f)});
    }
    return entries;
}

}  // namespace qnb
