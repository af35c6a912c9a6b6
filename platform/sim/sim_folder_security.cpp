#include "platform/sim/sim_folder_security.h"

#ifdef _WIN32
#include "platform/win32/protected_folder.h"
#else
#include "platform/fake/fake_folder_security.h"
#endif

namespace qnb::sim {

#ifdef _WIN32
namespace {

class SimFolderSecurity : public win32::Win32FolderSecurity {
public:
    FolderTrust Inspect(const std::string& path) override {
        FolderTrust real = win32::Win32FolderSecurity::Inspect(path);
        return real == FolderTrust::kReparsePoint || real == FolderTrust::kUnknown ? real : FolderTrust::kTrusted;
    }
    std::optional<std::string> MakeHeldFolder(const std::string& parent) override {
        return win32::MakeProtectedFolder(parent, [](HANDLE folder) {
            BY_HANDLE_FILE_INFORMATION info{};
            bool link = !GetFileInformationByHandle(folder, &info) ||
                        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
            return link ? FolderTrust::kReparsePoint : FolderTrust::kTrusted;
        });
    }
};

}  // namespace

std::unique_ptr<FolderSecurity> MakeSimFolderSecurity(FileSystem&) { return std::make_unique<SimFolderSecurity>(); }
#else
std::unique_ptr<FolderSecurity> MakeSimFolderSecurity(FileSystem& files) {
    return std::make_unique<fake::FakeFolderSecurity>(files);
}
#endif

}  // namespace qnb::sim
