#include "platform/sim/machine_description.h"

#include <json/json.h>

#include <memory>

namespace qnb::sim {

namespace {

struct Invalid {
    std::string what;
};

uint64_t U64(const Json::Value& v, const char* key, uint64_t fallback = 0) {
    const Json::Value& x = v[key];
    if (x.isNull()) return fallback;
    if (!x.isUInt64()) throw Invalid{std::string("\"") + key + "\" must be a non-negative integer"};
    return x.asUInt64();
}

int64_t I64(const Json::Value& v, const char* key, int64_t fallback) {
    const Json::Value& x = v[key];
    if (x.isNull()) return fallback;
    if (!x.isInt64()) throw Invalid{std::string("\"") + key + "\" must be an integer"};
    return x.asInt64();
}

bool Bool(const Json::Value& v, const char* key, bool fallback) {
    const Json::Value& x = v[key];
    if (x.isNull()) return fallback;
    if (!x.isBool()) throw Invalid{std::string("\"") + key + "\" must be true or false"};
    return x.asBool();
}

std::optional<std::string> Text(const Json::Value& v, const char* key) {
    const Json::Value& x = v[key];
    if (x.isNull()) return std::nullopt;
    if (!x.isString()) throw Invalid{std::string("\"") + key + "\" must be a string"};
    return x.asString();
}

Volume ParseVolume(const Json::Value& v) {
    Volume volume;
    std::string letter = Text(v, "letter").value_or("");
    if (letter.size() > 1 || (letter.size() == 1 && (letter[0] < 'A' || letter[0] > 'Z'))) {
        throw Invalid{"a volume letter is one capital letter or \"\""};
    }
    volume.letter = letter.empty() ? 0 : letter[0];
    volume.label = Text(v, "label").value_or("");
    volume.fileSystem = Text(v, "fs").value_or("NTFS");
    volume.free = U64(v, "free");
    return volume;
}

Partition ParsePartition(const Json::Value& v, bool gpt) {
    Partition p;
    p.number = static_cast<uint32_t>(U64(v, "number"));
    p.start = U64(v, "start");
    p.length = U64(v, "length");
    if (gpt) {
        std::string type = Text(v, "gpt_type").value_or("{00000000-0000-0000-0000-000000000000}");
        auto guid = disk::ParseGuid(type);
        if (!guid) throw Invalid{"\"gpt_type\" must be a braced GUID"};
        p.gptType = *guid;
        p.gptName = Text(v, "gpt_name").value_or("");
    } else {
        uint64_t type = U64(v, "mbr_type");
        if (type > 255) throw Invalid{"\"mbr_type\" is one byte"};
        p.mbrType = static_cast<uint8_t>(type);
        p.active = Bool(v, "active", false);
    }
    if (v.isMember("volume")) p.volume = ParseVolume(v["volume"]);
    return p;
}

Disk ParseDisk(const Json::Value& v) {
    Disk d;
    d.number = static_cast<int>(U64(v, "number"));
    if (d.number >= 20) throw Invalid{"disk numbers run from 0 to 19"};
    d.busType = static_cast<uint32_t>(U64(v, "bus_type"));
    d.vendor = Text(v, "vendor");
    d.product = Text(v, "product");
    d.serial = Text(v, "serial");
    d.revision = Text(v, "revision");
    d.size = U64(v, "size");
    d.seekPenalty = static_cast<int>(I64(v, "seek_penalty", -1));
    std::string style = Text(v, "style").value_or("mbr");
    if (style != "mbr" && style != "gpt") throw Invalid{"\"style\" is \"mbr\" or \"gpt\""};
    d.gpt = style == "gpt";
    const Json::Value& layout = v["layout"];
    if (layout.isNull() || (layout.isBool() && layout.asBool())) {
        d.layout = LayoutAnswer::Both;
    } else if (layout.isBool()) {
        d.layout = LayoutAnswer::None;
    } else if (layout.isString() && layout.asString() == "old") {
        d.layout = LayoutAnswer::OldOnly;
    } else {
        throw Invalid{"\"layout\" is true, false or \"old\""};
    }
    d.descriptor = Bool(v, "descriptor", true);
    d.geometryEx = Bool(v, "geometry_ex", true);
    d.loads = Bool(v, "loads", true);
    for (const Json::Value& p : v["partitions"]) d.partitions.push_back(ParsePartition(p, d.gpt));
    return d;
}

Windows ParseWindows(const Json::Value& v) {
    Windows w;
    w.dir = Text(v, "dir").value_or(w.dir);
    if (w.dir.size() < 3 || w.dir[1] != ':') throw Invalid{"\"dir\" is a full path such as C:\\Windows"};
    w.major = static_cast<uint32_t>(U64(v, "major"));
    w.minor = static_cast<uint32_t>(U64(v, "minor"));
    w.build = static_cast<uint32_t>(U64(v, "build"));
    w.productType = static_cast<uint32_t>(U64(v, "product_type"));
    w.wow64 = Bool(v, "wow64", false);
    w.pe = Bool(v, "pe", false);
    return w;
}

}  // namespace

std::optional<MachineDescription> ParseMachine(std::string_view json, std::string* error) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    if (!reader->parse(json.data(), json.data() + json.size(), &root, &errors) || !root.isObject()) {
        if (error) *error = "not a JSON object: " + errors;
        return std::nullopt;
    }
    try {
        MachineDescription machine;
        if (root.isMember("windows")) machine.windows = ParseWindows(root["windows"]);
        if (!root["disks"].isNull() && !root["disks"].isArray()) throw Invalid{"\"disks\" must be a list"};
        for (const Json::Value& d : root["disks"]) machine.disks.push_back(ParseDisk(d));
        return machine;
    } catch (const Invalid& invalid) {
        if (error) *error = invalid.what;
        return std::nullopt;
    } catch (const Json::Exception& e) {
        if (error) *error = e.what();
        return std::nullopt;
    }
}

}  // namespace qnb::sim
