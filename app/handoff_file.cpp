#include "app/handoff_file.h"

#include "platform/text.h"

#include <json/json.h>

#include <memory>

namespace qnb {

std::string RenderHandoff(const HandoffValues& v) {
    Json::Value root(Json::objectValue);
    root["bRepart"] = v.repart;
    if (v.repart) {
        root["nRepartDisk"] = v.repartDisk;
        root["strRepartScript"] = text::Utf8ToAnsi(v.repartScript);
        root["bRepartGPT"] = v.repartGpt;
    } else {
        root["nSelDisk"] = v.selDisk;
        root["nSelPar"] = v.selPar;
    }
    root["strImagePath"] = text::Utf8ToAnsi(v.imagePath);
    root["bLocalImage"] = v.localImage;
    root["nWIMPart"] = v.wimPart;
    root["bSameDisk"] = v.sameDisk;
    root["Option"] = v.option;
    root["QQLogFolder"] = text::Utf8ToAnsi(v.qqLogFolder);
    root["SoftCount"] = 0;
    root["LocalPeUrl"] = text::Utf8ToAnsi(v.localPeUrl);
    root["bShowedNote"] = v.showedNote;

    // The layout of jsoncpp's StyledWriter, but with bytes above 0x7F left
    // as they are: StyledWriter would decode the ANSI text as UTF-8 and
    // escape it, which the environment would read back as different text.
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    builder["commentStyle"] = "None";
    builder["emitUTF8"] = true;
    std::string text = Json::writeString(builder, root);
    text += '\n';  // StyledWriter ends the document with a line break
    return text::ToCrLf(text);
}

namespace {

// A key that is present must hold the type the contract gives it.
bool HasType(const Json::Value& root, const char* key, bool (Json::Value::*is)() const) {
    const Json::Value& value = root[key];
    return value.isNull() || (value.*is)();
}

}  // namespace

bool ApplyEarlierHandoff(std::string_view fileBytes, HandoffValues& v) {
    Json::CharReaderBuilder builder;
    builder["stackLimit"] = 64;  // the file is flat; deep nesting is no hand-off file
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    try {
        if (!reader->parse(fileBytes.data(), fileBytes.data() + fileBytes.size(), &root, &errors)) return false;
    } catch (const Json::Exception&) {
        return false;  // the reader throws when the nesting passes its limit
    }
    if (!root.isObject()) return false;

    for (const char* key : {"bRepart", "bRepartGPT", "bSameDisk", "bShowedNote"}) {
        if (!HasType(root, key, &Json::Value::isBool)) return false;
    }
    for (const char* key : {"nRepartDisk", "nSelDisk", "nSelPar"}) {
        if (!HasType(root, key, &Json::Value::isInt)) return false;
    }
    for (const char* key : {"strRepartScript", "LocalPeUrl"}) {
        if (!HasType(root, key, &Json::Value::isString)) return false;
    }

    v.repart = root["bRepart"].asBool();
    if (v.repart) {
        v.repartDisk = root["nRepartDisk"].asInt();
        v.repartScript = text::AnsiToUtf8(root["strRepartScript"].asString());
        v.repartGpt = root["bRepartGPT"].asBool();
    } else {
        v.selDisk = root["nSelDisk"].asInt();
        v.selPar = root["nSelPar"].asInt();
    }
    v.imagePath.clear();
    v.localImage = false;
    v.wimPart = 0;
    v.sameDisk = root["bSameDisk"].asBool();
    v.localPeUrl = text::AnsiToUtf8(root["LocalPeUrl"].asString());
    v.showedNote = root["bShowedNote"].asBool();
    return true;
}

}  // namespace qnb
