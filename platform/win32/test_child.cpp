// The child the process adapter's tests start. Its arguments are steps,
// done in order:
//   write N      N bytes ('a' to 'z' over and over) to standard output
//   out TEXT     TEXT to standard output; err TEXT: to standard error
//   cwd          the current folder and a line end
//   commandline  its command line as it got it, and a line end
//   handle H     "inherited" or "absent": whether handle value H (decimal) is open here
//   bitness      "32" or "64"
//   exit CODE    ends with that exit code (0 when no step says)
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

void Put(DWORD which, const std::string& bytes) {
    HANDLE out = GetStdHandle(which);
    for (size_t done = 0; done < bytes.size();) {
        DWORD written = 0;
        if (!WriteFile(out, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr)) return;
        done += written;
    }
}

std::string Utf8(const wchar_t* wide) {
    int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, wide, -1, out.data(), size, nullptr, nullptr);
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i) {
        std::wstring step = argv[i];
        const wchar_t* next = i + 1 < argc ? argv[i + 1] : L"";
        if (step == L"write") {
            unsigned long long left = std::wcstoull(next, nullptr, 10);
            std::string piece(4096, '\0');
            for (size_t k = 0; k < piece.size(); ++k) piece[k] = static_cast<char>('a' + k % 26);
            while (left > 0) {
                size_t n = left < piece.size() ? static_cast<size_t>(left) : piece.size();
                Put(STD_OUTPUT_HANDLE, piece.substr(0, n));
                left -= n;
            }
            ++i;
        } else if (step == L"out" || step == L"err") {
            Put(step == L"out" ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE, Utf8(next));
            ++i;
        } else if (step == L"cwd") {
            wchar_t folder[MAX_PATH + 1] = {};
            GetCurrentDirectoryW(MAX_PATH + 1, folder);
            Put(STD_OUTPUT_HANDLE, Utf8(folder) + "\n");
        } else if (step == L"commandline") {
            Put(STD_OUTPUT_HANDLE, Utf8(GetCommandLineW()) + "\n");
        } else if (step == L"handle") {
            HANDLE handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::wcstoull(next, nullptr, 10)));
            DWORD flags = 0;
            Put(STD_OUTPUT_HANDLE, GetHandleInformation(handle, &flags) ? "inherited\n" : "absent\n");
            ++i;
        } else if (step == L"bitness") {
            Put(STD_OUTPUT_HANDLE, sizeof(void*) == 8 ? "64\n" : "32\n");
        } else if (step == L"exit") {
            return static_cast<int>(std::wcstoul(next, nullptr, 10));
        }
    }
    return 0;
}
