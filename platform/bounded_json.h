// The one way the program reads JSON it did not make: files left by earlier
// runs or by the preinstallation environment (SETTING.JSON, Download.json,
// the backup records) and the service's answers. Everything there may be
// hostile: the size, the nesting and the count of values are bounded before
// the library sees the bytes, and whatever the library refuses or throws
// becomes "unreadable" (nothing), on whatever thread it happens.
#pragma once

#include "platform/file_system.h"

#include <json/json.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qnb::json {

constexpr size_t kMaxFileBytes = 4u << 20;    // a file of the program's own kind is a few KiB
constexpr size_t kMaxAnswerBytes = 4u << 20;  // a service answer
constexpr int kMaxDepth = 64;                 // arrays and objects inside one another
constexpr size_t kMaxValues = 10000;          // every element and member counts, the root too

struct Limits {
    size_t maxBytes = kMaxFileBytes;
    int maxDepth = kMaxDepth;
    size_t maxValues = kMaxValues;
};

// The document, or nothing when the bytes pass a limit or do not parse.
// Comments are allowed, as the library allows them.
std::optional<Json::Value> Parse(std::string_view bytes, const Limits& limits = {});

// A whole file of at most maxBytes, read without ever holding more than
// that; nothing when it is missing, cannot be read or is larger.
std::optional<std::string> ReadSmallFile(FileSystem& files, const std::string& path,
                                         size_t maxBytes = kMaxFileBytes);

// ReadSmallFile, then Parse.
std::optional<Json::Value> ReadFile(FileSystem& files, const std::string& path, const Limits& limits = {});

// The library's own conversions, without its exceptions: the value when it
// is missing (null) or converts to the type, nothing otherwise. 1 reads as
// true, true as 1, 1.5 as 1; "1" is no number and 3 is no text.
std::optional<bool> ToBool(const Json::Value& value);
std::optional<int> ToInt(const Json::Value& value);
std::optional<std::string> ToText(const Json::Value& value);

}  // namespace qnb::json
