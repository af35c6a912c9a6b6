// qnbdiag backup-files: the reinstall's user-file backup thread, run on the
// machine qnbdiag runs on (simulated or real) into its workspace folder.
// Each message the thread posts to the wizard is printed as one JSON line
//   {"msg":"status","text":"C:\\Users\\me\\Desktop\\a.txt"}
//   {"msg":"error","text":"C:\\Users\\me\\Desktop\\locked.doc","code":32}
//   {"msg":"done"}
// and each error is appended to backup_error.txt as the wizard does. The
// program's log goes to the workspace's logs\ folder.
//   --desktop --qq --pictures --music --documents --videos   the page's options
//   --folder PATH        a row of the folder list (again for more rows, in order)
//   --local-image PATH   chosen as the local image before the backup starts
//   --lock PATH          held open without sharing while the backup runs (Windows;
//                        as a program that keeps a file locked would)
#include "app/app_context.h"
#include "filebackup/backup_error_file.h"
#include "filebackup/backup_thread.h"
#include "log/diagnostic_log.h"
#include "platform/sim/sim_machine.h"
#include "tools/qnbdiag/commands.h"
#include "tools/qnbdiag/json_output.h"

#include <json/json.h>

#include <cstdio>
#include <ctime>

#ifdef _WIN32
#include "log/local_time_win32.h"
#include "platform/text.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_path.h"
#endif

namespace qnb::diag {

namespace {

const char kUsage[] =
    "usage: backup-files [--desktop] [--qq] [--pictures] [--music] [--documents] [--videos] [--folder PATH]...\n"
    "                    [--local-image PATH] [--lock PATH]";

// What the wizard would be told, one line each; errors also go to the error list file.
class JsonLinesReporter : public BackupReporter {
public:
    JsonLinesReporter(FileSystem& files, std::string workspace, Log& log)
        : files_(files), workspace_(std::move(workspace)), log_(log) {}

    void Status(const std::string& text) override {
        Json::Value line(Json::objectValue);
        line["msg"] = "status";
        line["text"] = text;
        Print(line);
    }
    void FileError(const std::string& path, uint32_t code) override {
        Json::Value line(Json::objectValue);
        line["msg"] = "error";
        line["text"] = path;
        line["code"] = code;
        Print(line);
        (void)AppendBackupError(files_, workspace_, path, code, log_);
    }
    void Done() override {
        Json::Value line(Json::objectValue);
        line["msg"] = "done";
        Print(line);
    }

private:
    static void Print(const Json::Value& value) {
        Json::StreamWriterBuilder builder;
        builder["indentation"] = "";
        builder["emitUTF8"] = true;
        std::string text = Json::writeString(builder, value) + "\n";
        std::fwrite(text.data(), 1, text.size(), stdout);
    }

    FileSystem& files_;
    const std::string workspace_;
    Log& log_;
};

std::string Stamp() {
#ifdef _WIN32
    return win32::LocalTimeStamp();
#else
    char text[32];
    std::time_t now = std::time(nullptr);
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
    return text;
#endif
}

}  // namespace

int RunBackupFiles(const Arguments& args) {
    BackupChoices choices;
    std::string localImage, lock;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool more = i + 1 < args.size();
        if (a == "--desktop") choices.desktop = true;
        else if (a == "--qq") choices.qqChatLog = true;
        else if (a == "--pictures") choices.pictures = true;
        else if (a == "--music") choices.music = true;
        else if (a == "--documents") choices.documents = true;
        else if (a == "--videos") choices.videos = true;
        else if (a == "--folder" && more) choices.folders.push_back(args[++i]);
        else if (a == "--local-image" && more) localImage = args[++i];
        else if (a == "--lock" && more) lock = args[++i];
        else {
            PrintError(kUsage);
            return 2;
        }
    }
    std::string error;
    auto machine = sim::OpenMachineFromEnvironment(&error);
    if (!machine) {
        PrintError(error);
        return 1;
    }
    AppContext context;
    if (!context.Initialise(machine->storage(), machine->system(), machine->files(), machine->folderSecurity())) {
        PrintError("the context is not ready: no workspace folder");
        return 1;
    }
    DiagnosticLog log(machine->files(), Stamp);
    log.Open(context.WorkspacePath());
    if (!localImage.empty()) context.SetLocalImage(localImage);

#ifdef _WIN32
    win32::UniqueFile held;
    if (!lock.empty()) {
        held.reset(CreateFileW(win32::WidePath(lock).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!held) {
            PrintError("cannot hold " + lock + " open: error " + std::to_string(GetLastError()));
            return 1;
        }
    }
#else
    if (!lock.empty()) {
        PrintError("--lock needs Windows file sharing");
        return 2;
    }
#endif

    JsonLinesReporter reporter(machine->files(), context.WorkspacePath(), log);
    BackupPorts ports{machine->files(), machine->shellFolders(), machine->registry()};
    FileBackupJob backup(context, ports, reporter, log);
    backup.Start(std::move(choices));
    backup.job().Join();
    std::fflush(stdout);
    return 0;
}

}  // namespace qnb::diag
