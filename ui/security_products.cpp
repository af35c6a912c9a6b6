#include "ui/security_products.h"

#include "platform/ascii.h"
#include "platform/text.h"
#include "ui/guide_steps.h"

#include <cstring>

namespace qnb::ui {

namespace {
#include "ui/security_signatures.inc"

// Plain UTF-8 of a stored text (the texts are ASCII).
std::string Plain(const ScrambledText& text) { return text::AnsiToUtf8(Unscramble(text)); }

bool Running(SecurityProbe& probe, const ScrambledText& first, const ScrambledText& second) {
    auto names = probe.ProcessNames();
    if (!names) return false;
    std::string a = Plain(first);
    std::string b = Plain(second);
    for (const std::string& name : *names) {
        if (ascii::EqualsIgnoringCase(name, a) || ascii::EqualsIgnoringCase(name, b)) return true;
    }
    return false;
}

bool IsFolder(const DirectoryEntry& e) { return (e.attributes & kFileAttributeDirectory) != 0; }

}  // namespace

std::string Unscramble(const ScrambledText& text) {
    std::string plain;
    RuntimeRandom random(text.seed);
    for (const char* p = text.bytes; *p; ++p) {
        plain.push_back(static_cast<char>(static_cast<unsigned char>(*p) - static_cast<unsigned char>(random.Next())));
    }
    return plain;
}

bool Detect360(SecurityProbe& probe) {
    if (probe.ReadDword(Plain(k360Key), "SiteAccess")) return true;
    return Running(probe, k360Process1, k360Process2);
}

bool DetectDuba(SecurityProbe& probe) {
    if (probe.ReadText(Plain(kDubaKey), "Path", 260)) return true;
    std::string programFiles = probe.ProgramFiles();
    if (!programFiles.empty()) {
        std::string folder = programFiles + Plain(kDubaFolder) + "\\";
        std::string marker = Plain(kDubaMarker);
        for (const DirectoryEntry& e : probe.List(folder)) {
            if (e.name == marker) return true;
            if (IsFolder(e) && probe.Exists(folder + e.name + "\\" + marker)) return true;
        }
    }
    return Running(probe, kDubaProcess1, kDubaProcess2);
}

bool DetectQq(SecurityProbe& probe) {
    if (auto path = probe.ReadText(Plain(kQqKey), "ExeString", 260); path && !path->empty() && probe.Exists(*path)) {
        return true;
    }
    if (auto path = probe.ReadClassesDefault(Plain(kQqClassesKey)); path && !path->empty() && probe.Exists(*path)) {
        return true;
    }
    std::string programFiles = probe.ProgramFiles();
    if (!programFiles.empty()) {
        std::string folder = programFiles + Plain(kQqFolder) + "\\";
        std::string marker = Plain(kQqMarker);
        for (const DirectoryEntry& e : probe.List(folder)) {
            if (IsFolder(e) && probe.Exists(folder + e.name + "\\" + marker)) return true;
        }
    }
    return Running(probe, kQqProcess1, kQqProcess2);
}

bool DetectDefender(SecurityProbe& probe) {
    int os = probe.OsTypeCode();
    if (os != 32 && os != 64) return false;
    return probe.ServiceRunning("SecurityHealthService").value_or(false);
}

bool SecurityDetector::Cached(Cache& cache, bool (*detect)(SecurityProbe&)) {
    std::call_once(cache.once, [&] { cache.value.store(detect(probe_)); });
    return cache.value.load();
}

int SecurityDetector::DetectSecurityProducts() {
    int mask = 0;
    if (Has360()) mask |= k360Safe | k360Sd;
    if (HasQq()) mask |= kQqPcMgr;
    if (HasDuba()) mask |= kDuba;
    if (HasDefender()) mask |= kDefender;
    return mask;
}

bool SecurityDetector::IsPresent(int code) {
    switch (code) {
    case k360Safe:
    case k360Sd:
        return Has360();
    case kQqPcMgr:
        return HasQq();
    case kDuba:
        return HasDuba();
    case kDefender:
        return HasDefender();
    default:
        return false;
    }
}

}  // namespace qnb::ui
