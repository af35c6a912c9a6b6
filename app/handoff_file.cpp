#include "app/handoff_file.h"

#include "platform/bounded_json.h"
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

bool ApplyEarlierHandoff(std::string_view fileBytes, HandoffValues& v) {
    std::optional<Json::Value> document = json::Parse(fileBytes);
    if (!document || !document->isObject()) return false;
    const Json::Value& root = *document;
    // The library's conversions ("bRepart": 1 is true); a value it cannot
    // convert reads as a missing key does.
    auto flag = [&](const char* key) { return json::ToBool(root[key]).value_or(false); };
    auto number = [&](const char* key) { return json::ToInt(root[key]).value_or(0); };
    auto words = [&](const char* key) { return text::AnsiToUtf8(json::ToText(root[key]).value_or("")); };

    v.repart = flag("bRepart");
    if (v.repart) {
        // A request to wipe a disk is taken whole or not at all: without a
        // disk number of its own it would name disk 0.
        std::optional<int> disk = json::ToInt(root["nRepartDisk"]);
        std::optional<std::string> script = json::ToText(root["strRepartScript"]);
        std::optional<bool> gpt = json::ToBool(root["bRepartGPT"]);
        if (root["nRepartDisk"].isNull() || !disk || !script || !gpt) {
            v.repart = false;
        } else {
            v.repartDisk = *disk;
            v.repartScript = text::AnsiToUtf8(*script);
            v.repartGpt = *gpt;
        }
    }
    if (!v.repart && !flag("bRepart")) {
        v.selDisk = number("nSelDisk");
        v.selPar = number("nSelPar");
    }
    v.imagePath.clear();
    v.localImage = false;
    v.wimPart = 0;
    v.sameDisk = flag("bSameDisk");
    v.localPeUrl = words("LocalPeUrl");
    v.showedNote = flag("bShowedNote");
    return true;
}

}  // namespace qnb
