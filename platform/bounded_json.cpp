#include "platform/bounded_json.h"

#include <memory>
#include <vector>

namespace qnb::json {

namespace {

// Counts nesting and values in one pass over the bytes, before the library
// builds anything from them. Strings and comments are skipped as the
// library reads them; for a text the library would refuse, the counts only
// need to be no smaller than what it would build before it stops.
bool WithinLimits(std::string_view bytes, const Limits& limits) {
    struct Level {
        size_t commas = 0;
        bool content = false;  // anything but blanks after the bracket
    };
    std::vector<Level> open;
    size_t values = 1;   // the root, and the members of every closed level
    size_t pending = 0;  // commas seen in the levels still open
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '"') {
            for (++i; i < bytes.size() && bytes[i] != '"'; ++i) {
                if (bytes[i] == '\\') ++i;
            }
            if (!open.empty()) open.back().content = true;
            continue;
        }
        if (c == '/' && i + 1 < bytes.size() && (bytes[i + 1] == '/' || bytes[i + 1] == '*')) {
            bool line = bytes[i + 1] == '/';
            size_t end = line ? bytes.find_first_of("\r\n", i + 2) : bytes.find("*/", i + 2);
            if (end == std::string_view::npos) break;
            i = line ? end : end + 1;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        if (!open.empty()) open.back().content = true;
        if (c == '[' || c == '{') {
            if (static_cast<int>(open.size()) >= limits.maxDepth) return false;
            open.push_back({});
        } else if (c == ']' || c == '}') {
            if (open.empty()) return true;  // the library stops here
            Level level = open.back();
            open.pop_back();
            pending -= level.commas;
            values += level.content ? level.commas + 1 : 0;
        } else if (c == ',' && !open.empty()) {
            ++open.back().commas;
            ++pending;
        }
        // An open level may already be large: what it holds so far counts.
        if (values + pending > limits.maxValues) return false;
    }
    return true;
}

}  // namespace

std::optional<Json::Value> Parse(std::string_view bytes, const Limits& limits) {
    if (bytes.size() > limits.maxBytes || !WithinLimits(bytes, limits)) return std::nullopt;
    Json::CharReaderBuilder builder;
    // A second guard at the library's own stack (its root counts as one).
    builder["stackLimit"] = limits.maxDepth + 2;
    builder["collectComments"] = false;
    Json::Value root;
    std::string errors;
    try {
        std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        if (!reader->parse(bytes.data(), bytes.data() + bytes.size(), &root, &errors)) return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return root;
}

std::optional<std::string> ReadSmallFile(FileSystem& files, const std::string& path, size_t maxBytes) {
    auto reader = files.openRead(path);
    if (!reader) return std::nullopt;
    std::string data;
    char buffer[65536];
    for (;;) {
        Result<size_t> n = (*reader)->Read(buffer, sizeof buffer);
        if (!n) return std::nullopt;
        if (*n == 0) return data;
        if (data.size() + *n > maxBytes) return std::nullopt;
        data.append(buffer, *n);
    }
}

std::optional<Json::Value> ReadFile(FileSystem& files, const std::string& path, const Limits& limits) {
    std::optional<std::string> bytes = ReadSmallFile(files, path, limits.maxBytes);
    if (!bytes) return std::nullopt;
    return Parse(*bytes, limits);
}

std::optional<bool> ToBool(const Json::Value& value) {
    if (!value.isConvertibleTo(Json::booleanValue)) return std::nullopt;
    try {
        return value.asBool();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<int> ToInt(const Json::Value& value) {
    if (!value.isConvertibleTo(Json::intValue)) return std::nullopt;
    try {
        return value.asInt();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<std::string> ToText(const Json::Value& value) {
    // The library turns numbers and booleans into text as well; a hand-off
    // text that is a number was never one of ours, but it reads as the
    // library reads it.
    if (!value.isConvertibleTo(Json::stringValue)) return std::nullopt;
    try {
        return value.asString();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace qnb::json
