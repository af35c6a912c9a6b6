#include "installer/prepared_start.h"

#include "platform/text.h"

#include <json/json.h>

#include <memory>

namespace qnb::installer {

namespace {

constexpr size_t kMaxTime = 64;

const char* MethodName(BootMethod method) { return method == BootMethod::kBootIni ? "boot.ini" : "bcdedit"; }

const char* ActionName(PeInstallMode mode) {
    switch (mode) {
        case PeInstallMode::kRestore: return "系统还原";
        case PeInstallMode::kBackup: return "系统备份";
        case PeInstallMode::kReinstall: break;
    }
    return "系统重装";
}

}  // namespace

std::string RenderPreparedStart(const PreparedStart& record) {
    Json::Value root(Json::objectValue);
    root["mode"] = ModeOf(record.mode).name;
    root["method"] = MethodName(record.method);
    root["time"] = record.time;
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    builder["commentStyle"] = "None";
    builder["emitUTF8"] = true;
    return text::ToCrLf(Json::writeString(builder, root) + "\n");
}

std::optional<PreparedStart> ParsePreparedStart(std::string_view bytes) {
    Json::CharReaderBuilder builder;
    builder["stackLimit"] = 16;  // a flat object
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    try {
        if (!reader->parse(bytes.data(), bytes.data() + bytes.size(), &root, &errors)) return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (!root.isObject()) return std::nullopt;
    const Json::Value& mode = root["mode"];
    const Json::Value& method = root["method"];
    const Json::Value& time = root["time"];
    if (!mode.isString() || !method.isString() || !(time.isNull() || time.isString())) return std::nullopt;
    PreparedStart record;
    std::optional<PeInstallMode> parsed = ParseMode(mode.asString());
    if (!parsed) return std::nullopt;
    record.mode = *parsed;
    if (method.asString() == MethodName(BootMethod::kBcdedit)) {
        record.method = BootMethod::kBcdedit;
    } else if (method.asString() == MethodName(BootMethod::kBootIni)) {
        record.method = BootMethod::kBootIni;
    } else {
        return std::nullopt;
    }
    if (time.isString()) {
        record.time = time.asString();
        if (record.time.size() > kMaxTime ||
            record.time.find_first_not_of("0123456789-:. ") != std::string::npos) {
            return std::nullopt;
        }
    }
    return record;
}

std::string UndoQuestion(const PreparedStart& record) {
    std::string action = ActionName(record.mode);
    // Minutes are enough for the user; the record keeps the seconds.
    std::string when = record.time.substr(0, 16);
    std::string text = (when.empty() ? std::string("已") : "已于" + when + " ") + "准备好" + action +
                       "，下次开机将进入Tessaly预安装环境并开始" + action + "。\r\n";
    if (record.method == BootMethod::kBootIni) {
        text += "取消后 boot.ini 将恢复为准备之前的内容，";
    } else {
        text += "取消后将删除启动菜单中的“TessalyPE”启动项，";
    }
    return text + "电脑下次开机直接进入当前系统。是否取消？";
}

}  // namespace qnb::installer
