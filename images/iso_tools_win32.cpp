#include "images/iso_tools_win32.h"

#include "app/disk_inventory.h"
#include "platform/win32/protected_folder.h"
#include "payload/resource_archive.h"

namespace qnb::images::win32 {

std::unique_ptr<IsoTools> MakeIsoTools(FileSystem& files, FolderSecurity& folders, ProcessPort& process,
                                       StoragePort& storage, Log* log) {
    IsoToolPorts ports;
    ports.makeFolder = [&folders] { return folders.MakeHeldFolder(qnb::win32::TemporaryFolder()); };
    ports.extract = [&files](const std::vector<ToolFile>& list) {
        CResourceArchive archive(files);
        archive.LoadFromResource(CResourceArchive::kPayloadId, CResourceArchive::kPayloadType);
        std::vector<uint64_t> written;
        for (const ToolFile& file : list) written.push_back(archive.ExtractFile(file.entry, file.target));
        return written;
    };
    ports.process = &process;
    ports.unusedLetters = [&storage] { return UnusedDriveLetters(storage); };
    ports.folderExists = [&files](const std::string& folder) { return files.access(folder, FileSystem::kExists); };
    ports.log = log;
    return std::make_unique<IsoTools>(std::move(ports));
}

}  // namespace qnb::images::win32
