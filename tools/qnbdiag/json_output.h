// Printing results as UTF-8 JSON on standard output.
#pragma once

#include <json/json.h>

#include <string>

namespace qnb::diag {

// Standard output in binary mode: UTF-8 bytes and "\n" pass unchanged.
void PrepareStandardOutput();
void PrintJson(const Json::Value& value);
// A message on standard error.
void PrintError(const std::string& message);

}  // namespace qnb::diag
