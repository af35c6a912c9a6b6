#include "ui/desktop.h"

#include "platform/text.h"
#include "platform/win32/system_library.h"
#include "ui/main_logic.h"

#include <exdisp.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include <cstring>

namespace qnb::ui {

namespace {

// A COM interface pointer released with its owner.
template <typename T>
class Com {
public:
    Com() = default;
    ~Com() {
        if (p_) p_->Release();
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T** Out() { return &p_; }
    void** OutVoid() { return reinterpret_cast<void**>(&p_); }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// Opens url with the "open" verb inside the shell's desktop window's
// process, so that the browser runs as the signed-in user, not with this
// program's administrator rights. False where that cannot be done (no
// shell desktop, a shell that does not offer it).
bool OpenAsTheDesktopsUser(const std::wstring& url, int show) {
    // oleaut32 is looked up from the system folder: the program imports no library it needs not.
    static const win32::UniqueModule automation = win32::LoadSystemLibrary(L"oleaut32.dll");
    using AllocString = BSTR(WINAPI*)(const OLECHAR*);
    using FreeString = void(WINAPI*)(BSTR);
    static const auto allocString = win32::LibraryFunction<AllocString>(automation, "SysAllocString");
    static const auto freeString = win32::LibraryFunction<FreeString>(automation, "SysFreeString");
    if (!allocString || !freeString) return false;

    Com<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.OutVoid())))
        return false;
    VARIANT nowhere;
    std::memset(&nowhere, 0, sizeof nowhere);  // VT_EMPTY
    long desktopWindow = 0;
    Com<IDispatch> desktop;
    if (windows->FindWindowSW(&nowhere, &nowhere, SWC_DESKTOP, &desktopWindow, SWFO_NEEDDISPATCH, desktop.Out()) !=
            S_OK ||
        !desktop)
        return false;
    Com<IServiceProvider> services;
    Com<IShellBrowser> browser;
    Com<IShellView> view;
    Com<IDispatch> background;
    Com<IShellFolderViewDual> folderView;
    Com<IDispatch> application;
    Com<IShellDispatch2> shell;
    if (FAILED(desktop->QueryInterface(IID_IServiceProvider, services.OutVoid())) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.OutVoid())) ||
        FAILED(browser->QueryActiveShellView(view.Out())) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.OutVoid())) ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.OutVoid())) ||
        FAILED(folderView->get_Application(application.Out())) ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, shell.OutVoid())))
        return false;

    BSTR file = allocString(url.c_str());
    BSTR verb = allocString(L"open");
    VARIANT arguments, folder, operation, showCommand;
    std::memset(&arguments, 0, sizeof arguments);
    std::memset(&folder, 0, sizeof folder);
    std::memset(&operation, 0, sizeof operation);
    std::memset(&showCommand, 0, sizeof showCommand);
    operation.vt = VT_BSTR;
    operation.bstrVal = verb;
    showCommand.vt = VT_I4;
    showCommand.lVal = show;
    bool opened = file && verb && SUCCEEDED(shell->ShellExecute(file, arguments, folder, operation, showCommand));
    freeString(file);
    freeString(verb);
    return opened;
}

class Win32Desktop : public Desktop {
public:
    int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT type) override {
        return MessageBoxW(owner, text::Wide(text).c_str(), text::Wide(caption).c_str(), type);
    }
    void OpenUrl(const std::string& url, int show) override {
        // The program runs elevated: nothing but a web page is handed to the
        // shell, and the browser runs as the user where the shell allows it.
        if (!IsWebAddress(url)) return;
        std::wstring wide = text::Wide(url);
        if (OpenAsTheDesktopsUser(wide, show)) return;
        ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, show);
    }
};

}  // namespace

Desktop& SystemDesktop() {
    static Win32Desktop desktop;
    return desktop;
}

}  // namespace qnb::ui
