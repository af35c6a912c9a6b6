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

// The message boxes on the desktop, of any program: title, text, buttons
// (id and text), visible, rect, pid.
Json::Value MessageBoxes();
// Presses a button (IDOK, IDYES ...) of the visible message box with that
// title; false with a reason when there is none or it has no such button.
bool AnswerMessageBox(const std::string& title, int button, std::string* error);

}  // namespace uikit::automation
