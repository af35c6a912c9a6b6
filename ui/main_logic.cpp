#include "ui/main_logic.h"

#include "platform/ascii.h"

#include <cstdio>

namespace qnb::ui {

const ActionInfo& Info(MainAction action) {
    static const ActionInfo kReinstall{"重装 - Tessaly重装助手", 0x00040108, 7, "系统重装"};
    static const ActionInfo kBackup{"备份 - Tessaly重装助手", 0x00040100, 3, "系统备份"};
    static const ActionInfo kRestore{"还原 - Tessaly重装助手", 0x00040108, 5, "系统还原"};
    switch (action) {
    case MainAction::kReinstall:
        return kReinstall;
    case MainAction::kBackup:
        return kBackup;
    case MainAction::kRestore:
        break;
    }
    return kRestore;
}

std::optional<MainAction> FindModeSwitch(std::string_view commandLine) {
    if (commandLine.find("/backup") != std::string_view::npos) return MainAction::kBackup;
    if (commandLine.find("/reinstall") != std::string_view::npos) return MainAction::kReinstall;
    if (commandLine.find("/restore") != std::string_view::npos) return MainAction::kRestore;
    return std::nullopt;
}

bool IsWebAddress(std::string_view url) {
    // Something after the scheme, too.
    auto starts = [&](std::string_view prefix) {
        return url.size() > prefix.size() && ascii::StartsWithIgnoringCase(url, prefix);
    };
    if (!starts("http://") && !starts("https://")) return false;
    // Nothing that a shell would read as a second argument or a command.
    for (char c : url) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '"') return false;
    }
    return true;
}

UpdatePrompt DecideUpdatePrompt(int updateState, const UpdateInfo& info) {
    UpdatePrompt prompt;
    if (updateState != 1 || !info.status) return prompt;
    prompt.show = true;
    prompt.newVersionText = "最新版本：" + info.vername;
    prompt.ask = info.must;
    if (IsWebAddress(info.url)) prompt.url = info.url;
    return prompt;
}

std::string SiteLink(std::string_view host, std::string_view pathAndQuery) {
    return "http://" + std::string(host) + std::string(pathAndQuery);
}

bool WorkspaceOnSystemDrive(std::string_view workspace, char systemLetter) {
    if (workspace.empty()) return false;
    return ascii::ToUpper(workspace[0]) == ascii::ToUpper(systemLetter);
}

std::string NotReadyText() {
    char text[256];
    std::snprintf(text, sizeof text, kNotReadyText, kNotReadyGiB);
    return text;
}

std::string NotInThisBuildText(MainAction action) {
    char text[256];
    std::snprintf(text, sizeof text, kNotInThisBuild, Info(action).name);
    return text;
}

}  // namespace qnb::ui
