// isocmd.exe: see isocmd.h. Its record of the drives it keeps lies beside
// it, in the folder the program deployed it to.
#include "platform/text.h"
#include "tools/isocmd/backends_win32.h"
#include "tools/isocmd/isocmd.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

namespace {

using namespace qnb;

std::wstring ToolFolder() {
    wchar_t buffer[32768];
    DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
    if (length == 0 || length >= 32768) return {};
    std::wstring path(buffer, length);
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

class FileRecordStore : public isocmd::RecordStore {
public:
    explicit FileRecordStore(std::wstring path) : path_(std::move(path)) {}

    isocmd::Record Load() override {
        HANDLE file = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return {};
        std::string text;
        char buffer[4096];
        DWORD read = 0;
        // A record is a few lines; more is not one of ours.
        while (text.size() < 65536 && ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
            text.append(buffer, read);
        }
        CloseHandle(file);
        return isocmd::ParseRecord(text);
    }

    bool Save(const isocmd::Record& record) override {
        std::string text = isocmd::FormatRecord(record);
        std::wstring temporary = path_ + L".new";
        HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                  written == text.size() && FlushFileBuffers(file);
        CloseHandle(file);
        ok = ok && MoveFileExW(temporary.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (!ok) DeleteFileW(temporary.c_str());
        return ok;
    }

private:
    std::wstring path_;
};

std::unique_ptr<isocmd::Backend> ChooseBackend() {
#ifdef QNB_ISOCMD_TEST_BACKEND
    wchar_t value[32];
    DWORD length = GetEnvironmentVariableW(L"QNB_ISOCMD_BACKEND", value, 32);
    if (length > 0 && length < 32 && std::wstring(value, length) == L"wine-folder") {
        return isocmd::MakeWineFolderBackend();
    }
#endif
    return isocmd::MakeVirtualDiskBackend();
}

}  // namespace

int wmain() {
    _setmode(_fileno(stdout), _O_BINARY);
    std::string line = text::Narrow(GetCommandLineW());
    isocmd::Command command = isocmd::ParseArguments(isocmd::ArgumentsOf(line));
    std::unique_ptr<isocmd::Backend> backend = ChooseBackend();
    FileRecordStore store(ToolFolder() + L"isocmd.drives");
    isocmd::Reply reply = isocmd::Execute(command, *backend, store);
    std::fwrite(reply.text.data(), 1, reply.text.size(), stdout);
    std::fflush(stdout);
    return reply.exitCode;
}
