// qnbdiag ui: the automation channel into the running programs' windows
// (test and demo builds): list them, print a window's controls, click,
// type, press keys, tick timers, answer message boxes, time repaints.
#include "tools/qnbdiag/commands.h"
#include "tools/qnbdiag/json_output.h"

#ifdef _WIN32
#include "uikit/win32/automation_client.h"

#include <chrono>
#include <cstdlib>
#include <thread>
#endif

namespace qnb::diag {

#ifndef _WIN32

int RunUi(const Arguments&) {
    PrintError("ui drives the windows of the Windows programs; use the Windows build");
    return 2;
}

#else

namespace {

using uikit::automation::AnswerMessageBox;
using uikit::automation::Call;
using uikit::automation::MessageBoxes;
using uikit::automation::Servers;

const char kUiUsage[] =
    "usage: qnbdiag ui COMMAND ...\n"
    "  windows                        the framework windows and message boxes of the running programs\n"
    "  tree CLASS                     a window's controls as JSON\n"
    "  click CLASS CONTROL            click a control as the mouse would\n"
    "                                 (CONTROL: a name, or LIST[N]/NAME inside the N-th row from 0)\n"
    "  set-text CLASS CONTROL TEXT    give a control a text (as typed)\n"
    "  focus CLASS CONTROL            give a control the focus\n"
    "  choose CLASS CONTROL INDEX     pick a combo box's item (from 0) as its list does\n"
    "  key CLASS KEY                  press a key (enter, esc, space, or a virtual-key number)\n"
    "  tick CLASS TIMER [COUNT]       fire a window timer COUNT times\n"
    "  hold-timers on|off             stop (or let run again) the programs' window timers\n"
    "  close CLASS [CODE]             close a window with a code\n"
    "  pick PATH                      answer the folder picker or file-open dialog with PATH\n"
    "                                 (waits up to 15 s for one to show)\n"
    "  pick-cancel                    cancel the open folder picker or file-open dialog\n"
    "  answer TITLE ok|yes|no|cancel  press a button of a message box\n"
    "  paint-time CLASS [COUNT] [TIMER]  repaint a window COUNT times, milliseconds each\n"
    "                                 (after a tick of TIMER each time, when given)\n"
    "  wait CLASS [SECONDS]           wait until a window of that class is visible (default 20 s)\n"
    "  wait-gone CLASS [SECONDS]      wait until no window of that class is left\n"
    "  wait-message TITLE [SECONDS]   wait until a message box with that title shows\n";

int Usage() {
    std::fputs(kUiUsage, stderr);
    return 2;
}

// Every program's answer to "windows".
Json::Value AllWindows() {
    Json::Value all(Json::objectValue);
    all["windows"] = Json::Value(Json::arrayValue);
    all["messages"] = MessageBoxes();
    Json::Value request(Json::objectValue);
    request["command"] = "windows";
    for (HWND server : Servers()) {
        Json::Value reply;
        std::string error;
        if (!Call(server, request, &reply, &error) || !reply["ok"].asBool()) continue;
        for (Json::Value w : reply["windows"]) {
            w["pid"] = reply["pid"];
            all["windows"].append(w);
        }
    }
    return all;
}

// Sends a request about a window to the program that has it (the first that does).
int Send(const Json::Value& request, bool print) {
    std::string lastError = "no program with an automation channel is running";
    for (HWND server : Servers()) {
        Json::Value reply;
        std::string error;
        if (!Call(server, request, &reply, &error)) {
            lastError = error;
            continue;
        }
        if (reply["ok"].asBool()) {
            if (print) PrintJson(reply);
            return 0;
        }
        lastError = reply["error"].asString();
        // Another program may have the window.
        if (reply["absent"].asBool()) continue;
        break;
    }
    PrintError(lastError);
    return 1;
}

// The dialog may still be coming up: asked again for up to 15 s.
int Pick(const Json::Value& request) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    std::string lastError = "no program with an automation channel is running";
    while (true) {
        for (HWND server : Servers()) {
            Json::Value reply;
            std::string error;
            if (!Call(server, request, &reply, &error)) {
                lastError = error;
            } else if (reply["ok"].asBool()) {
                return 0;
            } else {
                lastError = reply["error"].asString();
            }
        }
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    PrintError(lastError);
    return 1;
}

bool Visible(const Json::Value& list, const char* key, const std::string& value) {
    for (const Json::Value& w : list) {
        if (w[key].asString() == value && w["visible"].asBool()) return true;
    }
    return false;
}

bool Present(const Json::Value& list, const std::string& cls) {
    for (const Json::Value& w : list) {
        if (w["class"].asString() == cls) return true;
    }
    return false;
}

int Wait(const std::string& what, const std::string& name, double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 1000));
    while (true) {
        Json::Value all = AllWindows();
        bool done = what == "wait"          ? Visible(all["windows"], "class", name)
                    : what == "wait-gone"   ? !Present(all["windows"], name)
                                            : Visible(all["messages"], "title", name);
        if (done) return 0;
        if (std::chrono::steady_clock::now() >= deadline) {
            PrintError(what + " " + name + ": not within " + std::to_string(seconds) + " s");
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

int ButtonId(const std::string& button) {
    if (button == "ok") return IDOK;
    if (button == "cancel") return IDCANCEL;
    if (button == "yes") return IDYES;
    if (button == "no") return IDNO;
    return std::atoi(button.c_str());
}

unsigned KeyCode(const std::string& key) {
    if (key == "enter") return 0x0D;
    if (key == "esc") return 0x1B;
    if (key == "space") return 0x20;
    return static_cast<unsigned>(std::strtoul(key.c_str(), nullptr, 0));
}

}  // namespace

int RunUi(const Arguments& args) {
    if (args.empty()) return Usage();
    const std::string& command = args[0];
    size_t n = args.size();
    Json::Value request(Json::objectValue);
    request["command"] = command;
    if (command == "windows" && n == 1) {
        PrintJson(AllWindows());
        return 0;
    }
    if ((command == "wait" || command == "wait-gone" || command == "wait-message") && (n == 2 || n == 3)) {
        return Wait(command, args[1], n == 3 ? std::atof(args[2].c_str()) : 20.0);
    }
    if (command == "hold-timers" && n == 2 && (args[1] == "on" || args[1] == "off")) {
        request["on"] = args[1] == "on";
        int result = 0;
        for (HWND server : Servers()) {
            Json::Value reply;
            std::string error;
            if (!Call(server, request, &reply, &error)) result = 1;
        }
        return result;
    }
    if ((command == "pick" && n == 2) || (command == "pick-cancel" && n == 1)) {
        request["command"] = "pick";
        if (n == 2) request["path"] = args[1];
        request["cancel"] = n == 1;
        return Pick(request);
    }
    if (command == "answer" && n == 3) {
        std::string error;
        if (AnswerMessageBox(args[1], ButtonId(args[2]), &error)) return 0;
        PrintError(error);
        return 1;
    }
    if (n < 2) return Usage();
    request["class"] = args[1];
    if (command == "tree" && n == 2) {
        return Send(request, true);
    }
    if (command == "close" && (n == 2 || n == 3)) {
        if (n == 3) request["code"] = std::atoi(args[2].c_str());
        return Send(request, false);
    }
    if (command == "key" && n == 3) {
        request["key"] = KeyCode(args[2]);
        return Send(request, false);
    }
    if (command == "tick" && (n == 3 || n == 4)) {
        request["timer"] = std::atoi(args[2].c_str());
        request["count"] = n == 4 ? std::atoi(args[3].c_str()) : 1;
        return Send(request, false);
    }
    if (command == "paint-time" && (n >= 2 && n <= 4)) {
        request["count"] = n >= 3 ? std::atoi(args[2].c_str()) : 20;
        if (n == 4) request["timer"] = std::atoi(args[3].c_str());
        return Send(request, true);
    }
    if ((command == "click" || command == "focus") && n == 3) {
        request["control"] = args[2];
        return Send(request, false);
    }
    if (command == "choose" && n == 4) {
        request["control"] = args[2];
        request["index"] = std::atoi(args[3].c_str());
        return Send(request, false);
    }
    if (command == "set-text" && n == 4) {
        request["control"] = args[2];
        request["text"] = args[3];
        return Send(request, false);
    }
    return Usage();
}

#endif

}  // namespace qnb::diag
