#include "platform/win32/process_win32.h"

#include "platform/text.h"
#include "platform/win32/handles.h"

#include <mutex>
#include <vector>

namespace qnb::win32 {

namespace {

// Functions that Windows XP lacks, looked up once: the shipped program must
// start there, so none of them is imported.
struct NewerKernel32 {
    using InitializeAttributeList = BOOL(WINAPI*)(LPPROC_THREAD_ATTRIBUTE_LIST, DWORD, DWORD, PSIZE_T);
    using UpdateAttribute = BOOL(WINAPI*)(LPPROC_THREAD_ATTRIBUTE_LIST, DWORD, DWORD_PTR, PVOID, SIZE_T, PVOID,
                                          PSIZE_T);
    using DeleteAttributeList = VOID(WINAPI*)(LPPROC_THREAD_ATTRIBUTE_LIST);
    using DisableRedirection = BOOL(WINAPI*)(PVOID*);
    using RevertRedirection = BOOL(WINAPI*)(PVOID);
    using IsWow64 = BOOL(WINAPI*)(HANDLE, PBOOL);

    InitializeAttributeList initializeAttributeList = nullptr;
    UpdateAttribute updateAttribute = nullptr;
    DeleteAttributeList deleteAttributeList = nullptr;
    DisableRedirection disableRedirection = nullptr;
    RevertRedirection revertRedirection = nullptr;
    bool underWow64 = false;  // a 32-bit process on 64-bit Windows

    bool HasAttributeLists() const { return initializeAttributeList && updateAttribute && deleteAttributeList; }
};

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const NewerKernel32& Kernel32() {
    static const NewerKernel32 functions = [] {
        NewerKernel32 f;
        HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
        if (!kernel32) return f;
        f.initializeAttributeList =
            Lookup<NewerKernel32::InitializeAttributeList>(kernel32, "InitializeProcThreadAttributeList");
        f.updateAttribute = Lookup<NewerKernel32::UpdateAttribute>(kernel32, "UpdateProcThreadAttribute");
        f.deleteAttributeList = Lookup<NewerKernel32::DeleteAttributeList>(kernel32, "DeleteProcThreadAttributeList");
        f.disableRedirection = Lookup<NewerKernel32::DisableRedirection>(kernel32, "Wow64DisableWow64FsRedirection");
        f.revertRedirection = Lookup<NewerKernel32::RevertRedirection>(kernel32, "Wow64RevertWow64FsRedirection");
        auto isWow64 = Lookup<NewerKernel32::IsWow64>(kernel32, "IsWow64Process");
        BOOL wow64 = FALSE;
        f.underWow64 = isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
        return f;
    }();
    return functions;
}

// A process attribute list naming the only handle the child inherits.
class InheritOnly {
public:
    // False where the system has no attribute lists (Windows XP).
    bool Set(HANDLE* handle) {
        const NewerKernel32& k = Kernel32();
        if (!k.HasAttributeLists()) return false;
        SIZE_T size = 0;
        k.initializeAttributeList(nullptr, 1, 0, &size);
        if (size == 0) return false;
        storage_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
        if (!k.initializeAttributeList(list, 1, 0, &size)) return false;
        list_ = list;
        return k.updateAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handle, sizeof(HANDLE), nullptr,
                                 nullptr) != 0;
    }
    LPPROC_THREAD_ATTRIBUTE_LIST get() const { return list_; }
    ~InheritOnly() {
        if (list_) Kernel32().deleteAttributeList(list_);
    }

private:
    std::vector<char> storage_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// File system redirection off on this thread while it lives, when asked
// and when this is a 32-bit process on 64-bit Windows.
class Wow64RedirectionOff {
public:
    explicit Wow64RedirectionOff(bool wanted) {
        const NewerKernel32& k = Kernel32();
        if (!wanted || !k.underWow64) return;
        if (!k.disableRedirection || !k.revertRedirection) {
            error_ = ERROR_PROC_NOT_FOUND;
        } else if (k.disableRedirection(&previous_)) {
            active_ = true;
        } else {
            error_ = GetLastError();
        }
    }
    ~Wow64RedirectionOff() {
        if (active_) Kernel32().revertRedirection(previous_);
    }
    Wow64RedirectionOff(const Wow64RedirectionOff&) = delete;
    Wow64RedirectionOff& operator=(const Wow64RedirectionOff&) = delete;
    DWORD error() const { return error_; }

private:
    PVOID previous_ = nullptr;
    bool active_ = false;
    DWORD error_ = 0;
};

// Where a child may inherit every inheritable handle (Windows XP), ours is
// inheritable only while this is held, so that no other start of ours
// takes it along.
std::mutex g_inheritance;

}  // namespace

Result<ProcessOutcome> Win32Process::Run(const ProcessRequest& request) {
    const std::string commandLine = CommandLineOf(request);
    auto fail = [&](const char* what, DWORD code) { return Failure{what, commandLine, code}; };
    if (!IsFullPath(request.program)) return fail("start program", ERROR_BAD_PATHNAME);
    const bool capture = request.captureOutput;
    const bool wait = request.wait || capture;

    UniqueHandle readEnd, writeEnd;
    if (capture) {
        HANDLE read = nullptr, write = nullptr;
        if (!CreatePipe(&read, &write, nullptr, 0)) return fail("create pipe", GetLastError());
        readEnd.reset(read);
        writeEnd.reset(write);
    }

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof(STARTUPINFOW);
    if (request.hidden) {
        startup.StartupInfo.dwFlags |= STARTF_USESHOWWINDOW;
        startup.StartupInfo.wShowWindow = SW_HIDE;
    }
    DWORD flags = request.newConsole ? CREATE_NEW_CONSOLE : 0;
    InheritOnly inheritOnly;
    HANDLE inherited = writeEnd.get();
    if (capture) {
        startup.StartupInfo.dwFlags |= STARTF_USESTDHANDLES;
        startup.StartupInfo.hStdInput = nullptr;
        startup.StartupInfo.hStdOutput = writeEnd.get();
        startup.StartupInfo.hStdError = writeEnd.get();
        if (inheritOnly.Set(&inherited)) {
            startup.StartupInfo.cb = sizeof(STARTUPINFOEXW);
            startup.lpAttributeList = inheritOnly.get();
            flags |= EXTENDED_STARTUPINFO_PRESENT;
        }
    }

    std::wstring program = text::Wide(request.program);
    std::wstring line = text::Wide(commandLine);  // CreateProcessW may write into it
    std::wstring folder = text::Wide(request.currentFolder);
    PROCESS_INFORMATION info{};
    {
        std::lock_guard lock(g_inheritance);
        if (capture && !SetHandleInformation(writeEnd.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) {
            return fail("start program", GetLastError());
        }
        BOOL started;
        DWORD error;
        {
            // Only the start itself runs without redirection: the loader of
            // this process must keep finding its own 32-bit libraries.
            Wow64RedirectionOff redirection(request.disableWow64Redirection);
            if (redirection.error() != 0) return fail("turn off WOW64 redirection", redirection.error());
            started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, capture ? TRUE : FALSE, flags,
                                     nullptr, folder.empty() ? nullptr : folder.c_str(), &startup.StartupInfo, &info);
            error = GetLastError();
        }
        // The child has its own copy; ours would keep the pipe open for ever.
        writeEnd.reset();
        if (!started) return fail("start program", error);
    }
    UniqueHandle process(info.hProcess), thread(info.hThread);

    ProcessOutcome outcome;
    DWORD readError = ERROR_BROKEN_PIPE;
    if (capture) {
        // Until the child (and whatever inherited the pipe from it) closes it;
        // reading all along means a child never waits on a full pipe.
        std::vector<char> buffer(64 * 1024);
        DWORD read = 0;
        while (ReadFile(readEnd.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
            outcome.output.append(buffer.data(), read);
        }
        readError = GetLastError();
    }
    if (wait) {
        if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0) return fail("wait for program", GetLastError());
        DWORD exitCode = 0;
        if (!GetExitCodeProcess(process.get(), &exitCode)) return fail("exit code of program", GetLastError());
        outcome.exitCode = exitCode;
    }
    if (readError != ERROR_BROKEN_PIPE) return fail("read program output", readError);
    return outcome;
}

}  // namespace qnb::win32
