// The automation channel's end in qnbdiag: sends a request to the
// programs that run an automation server and waits for their answers.
#pragma once

#include <json/json.h>

#include <string>
#include <vector>

#include <windows.h>

namespace uikit::automation {

// The servers of the running programs.
std::vector<HWND> Servers();

// Sends request to server and waits (up to timeoutMs) for its answer.
bool Call(HWND server, const Json::Value& request, Json::Value* reply, std::string* error, unsigned timeoutMs = 15000);

}  // namespace uikit::automation
