// qnb_ui_gallery: opens one of the program's shared windows on its own, as
// the windows that use them would (the demo's screenshots, by hand).
//
//   qnb_ui_gallery countdown | picture PATH | error MESSAGE | guide | notice
//                  | backupfile [FOLDER...]
//
// backupfile shows the reinstall wizard's backup-file page with FOLDER rows
// in its list, on the machine QNB_SIM_MACHINE describes (the real one
// without it).
// MESSAGE may hold "\r\n" as the two characters backslash-r backslash-n.
// The exit code is the window's result.
#include "app/app_context.h"
#include "platform/text.h"
#include "platform/win32/handles.h"
#include "ui/error_msg_dlg.h"
#include "ui/guide_dlg.h"
#include "ui/security_probe_win32.h"
#include "ui/show_picture_dlg.h"
#include "ui/waring_dlg.h"
#include "ui/window_styles.h"
#include "ui/wizard/folder_picker_win32.h"
#include "ui/wizard/test_support/backup_page_host_win32.h"
#include "platform/sim/sim_machine.h"
#include "uikit/win32/framework.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

std::string Unescape(std::string text) {
    for (size_t at; (at = text.find("\\r\\n")) != std::string::npos;) text.replace(at, 4, "\r\n");
    return text;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    qnb::win32::UniqueLocalMemory argvMemory(wide);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(qnb::text::Narrow(wide[i]));
    if (args.empty() || !uikit::Framework::Initialise(instance)) return 2;
    using namespace qnb::ui;
    // The gallery's windows look at a context that start-up never filled.
    static qnb::AppContext context;
    static Win32SecurityProbe probe([] { return context.OsTypeCode(); });
    static SecurityDetector detector(probe);
    const std::string& window = args[0];
    if (window == "countdown") return static_cast<int>(CShowPictureDlg::RunCountdown(nullptr));
    if (window == "picture" && args.size() == 2) {
        CShowPictureDlg::RunPicture(nullptr, args[1]);
        return 1;
    }
    if (window == "error" && args.size() == 2) {
        return static_cast<int>(CErrorMsgDlg::Run(nullptr, Unescape(args[1]), detector));
    }
    if (window == "guide") {
        CGuideToCloseSafe::Run(nullptr, detector);
        return 1;
    }
    if (window == "notice") {
        CWaring::Run(nullptr, context, detector);
        return 1;
    }
    if (window == "backupfile") {
        std::string error;
        static std::unique_ptr<qnb::Machine> machine = qnb::sim::OpenMachineFromEnvironment(&error);
        if (!machine) return 2;
        static qnb::AppContext pageContext;
        pageContext.Initialise(machine->storage(), machine->system(), machine->files(), machine->folderSecurity());
        static ShellFolderPicker picker;
        test::BackupPageHost page(pageContext, SystemDesktop(), picker);
        if (!page.Create(nullptr, "重装 - Tessaly重装助手", kPopupStyle, kAppWindowExStyle)) return 2;
        for (size_t i = 1; i < args.size(); ++i) page.Page().FolderList()->AddFolder(args[i]);
        page.CenterWindow();
        return static_cast<int>(page.ShowModal());
    }
    return 2;
}
