#include "download/downloads_win32.h"

#include "download/download_manager.h"
#include "download/engine_deploy.h"
#include "download/engine_library.h"
#include "payload/resource_archive.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/win32/handles.h"
#include "platform/win32/protected_folder.h"

#include <windows.h>

#include <memory>

namespace qnb::win32 {

void ConfigureDownloads(CDownloadManager& downloads, FileSystem& files, const EngineLocation& engine, Log* log) {
    DownloadManagerPorts ports;
    ports.files = &files;
    ports.log = log;
    ports.openEngine = [&engine, log](const StopToken& stop) -> std::unique_ptr<EngineLibrary> {
        // A download added before the deployment has finished waits for it.
        std::optional<std::string> path = engine.Wait(stop);
        if (!path || path->empty()) return nullptr;
        std::unique_ptr<EngineLibrary> library = LoadEngineLibrary(*path);
        if (!library) OrNoLog(log).Failed("download", {"load", *path, static_cast<uint32_t>(GetLastError())});
        return library;
    };
    ports.rename = [](const std::string& from, const std::string& to) {
        return MoveFileExW(text::Wide(from).c_str(), text::Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    };
    downloads.SetPorts(std::move(ports));
}

Status DeployDownloadEngine(FileSystem& files, FolderSecurity& folders, ProcessPort& process,
                            const std::string& workspace, bool workspaceTrusted, CDownloadManager& downloads,
                            EngineLocation& engine) {
    const std::string temporary = TemporaryFolder();
    RemoveEarlierDeployments(files, temporary);
    CResourceArchive archive(files);
    archive.LoadFromResource(CResourceArchive::kPayloadId, CResourceArchive::kPayloadType);
    DeployPorts ports;
    ports.makeFolder = [&folders, temporary] { return folders.MakeHeldFolder(temporary); };
    ports.extract = [&](const std::string& entry, const std::string& target) {
        return archive.ExtractFile(entry, target);
    };
    ports.longPath = [](const std::string& path) {
        std::wstring wide = text::Wide(path);
        wchar_t buffer[MAX_PATH + 1];
        DWORD length = GetLongPathNameW(wide.c_str(), buffer, MAX_PATH + 1);
        return length == 0 || length > MAX_PATH ? path : text::Narrow(std::wstring(buffer, length));
    };
    ports.runAndWait = [&process](const std::string& program, const std::string& folder) {
        ProcessRequest request;
        request.program = program;
        request.currentFolder = folder;
        request.newConsole = true;
        return process.Run(request).ok();
    };
    ports.initialiseDownloads = [&] { downloads.Initialise(workspace, workspaceTrusted); };
    if (qnb::DeployDownloadEngine(ports, engine).empty()) return Failure{"deploy the download engine", "", 0};
    return Status::Ok();
}

}  // namespace qnb::win32
