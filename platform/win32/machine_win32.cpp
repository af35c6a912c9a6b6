#include "platform/win32/machine_win32.h"

#include "platform/win32/file_system_win32.h"
#include "platform/win32/storage_win32.h"
#include "platform/win32/system_win32.h"

namespace qnb::win32 {

namespace {

class RealMachine : public Machine {
public:
    StoragePort& storage() override { return storage_; }
    SystemPort& system() override { return system_; }
    FileSystem& files() override { return files_; }

private:
    Win32Storage storage_;
    Win32System system_;
    Win32FileSystem files_;
};

}  // namespace

std::unique_ptr<Machine> OpenRealMachine() { return std::make_unique<RealMachine>(); }

}  // namespace qnb::win32
