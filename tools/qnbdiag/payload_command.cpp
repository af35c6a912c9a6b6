// qnbdiag payload: the payload archive through the program's own reader.
//   payload list [ARCHIVE]                  the file entries as JSON (name, size, index)
//   payload extract NAME TARGET [ARCHIVE]   writes one entry, prints the bytes written
// ARCHIVE is a 7z file. Without it the program's own resource 135 "DATA" is
// read, which exists in the Windows builds only.
#include "payload/resource_archive.h"
#include "tools/qnbdiag/commands.h"
#include "tools/qnbdiag/json_output.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#ifdef _WIN32
#include "platform/win32/file_system_win32.h"
#else
#include "platform/posix/host_file_system.h"
#endif

namespace qnb::diag {

namespace {

std::unique_ptr<FileSystem> OpenFiles() {
#ifdef _WIN32
    return std::make_unique<win32::Win32FileSystem>();
#else
    // Drive letters are the folders of $QNB_DRIVE_ROOT; other paths are host paths.
    const char* root = std::getenv("QNB_DRIVE_ROOT");
    return std::make_unique<HostFileSystem>(root ? root : ".");
#endif
}

bool Load(CResourceArchive& archive, FileSystem& files, const std::string& path) {
    if (!path.empty()) {
        std::optional<std::string> bytes = files.readFile(path);
        if (!bytes) {
            PrintError("cannot read " + path);
            return false;
        }
        if (!archive.LoadFromMemory(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size())) {
            PrintError(path + " is not a 7z archive that can be read");
            return false;
        }
        return true;
    }
#ifdef _WIN32
    if (!archive.LoadFromResource(CResourceArchive::kPayloadId, CResourceArchive::kPayloadType)) {
        PrintError("this program carries no payload archive (resource 135 \"DATA\")");
        return false;
    }
    return true;
#else
    PrintError("name the archive: only the Windows builds carry one");
    return false;
#endif
}

int List(const Arguments& args) {
    if (args.size() > 1) {
        PrintError("usage: payload list [ARCHIVE]");
        return 2;
    }
    auto files = OpenFiles();
    CResourceArchive archive(*files);
    if (!Load(archive, *files, args.empty() ? std::string() : args[0])) return 1;
    Json::Value entries(Json::arrayValue);
    for (const CResourceArchive::Listing& e : archive.List()) {
        Json::Value j(Json::objectValue);
        j["name"] = e.name;
        j["size"] = Json::UInt64(e.size);
        j["index"] = e.index;
        entries.append(j);
    }
    PrintJson(entries);
    return 0;
}

int Extract(const Arguments& args) {
    if (args.size() < 2 || args.size() > 3) {
        PrintError("usage: payload extract NAME TARGET [ARCHIVE]");
        return 2;
    }
    auto files = OpenFiles();
    CResourceArchive archive(*files);
    if (!Load(archive, *files, args.size() == 3 ? args[2] : std::string())) return 1;
    uint64_t written = archive.ExtractFile(args[0], args[1]);
    std::printf("%llu\n", static_cast<unsigned long long>(written));
    std::fflush(stdout);
    if (written == 0) {
        PrintError("nothing written: no file entry " + args[0] + " with data, or " + args[1] + " cannot be made");
        return 1;
    }
    return 0;
}

}  // namespace

int RunPayload(const Arguments& args) {
    if (!args.empty() && args[0] == "list") return List(Arguments(args.begin() + 1, args.end()));
    if (!args.empty() && args[0] == "extract") return Extract(Arguments(args.begin() + 1, args.end()));
    PrintError("usage: payload list [ARCHIVE] | payload extract NAME TARGET [ARCHIVE]");
    return 2;
}

}  // namespace qnb::diag
