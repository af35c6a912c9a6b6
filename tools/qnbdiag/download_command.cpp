// qnbdiag download URL FOLDER: one download through the program's download
// manager and the engine library of its payload archive, deployed the way
// the program deploys it. Looks at the download every 100 ms and prints a
// progress line about once a second and whenever the state changes:
//   state 3 percent 42 done 441450496 total 1051721728 speed 52428800 retries 0
// then, when it is complete, "saved PATH" and "elapsed SECONDS" (from this
// program's start), and exits 0; 1 when it failed.
// Options: --workspace FOLDER reads and writes Download.json there first
// (as start-up does); --timeout SECONDS gives up after that long (exit 3);
// --handover checks the complete file once more as the installer does
// before it takes it ("handed over PATH", or exit 1); --direct drives the
// engine library itself, without the manager, looking every 20 ms, and
// prints "elapsed SECONDS" from start to completion.
#include "tools/qnbdiag/commands.h"
#include "tools/qnbdiag/json_output.h"

#include <cstdio>

#ifdef _WIN32
#include "download/download_manager.h"
#include "download/downloads_win32.h"
#include "platform/paths.h"
#include "log/diagnostic_log.h"
#include "log/local_time_win32.h"
#include "platform/win32/file_system_win32.h"
#include "platform/sim/sim_folder_security.h"
#include "platform/win32/process_win32.h"

#include <chrono>
#include <thread>
#endif

#include <chrono>
#include <cstdlib>

namespace qnb::diag {

namespace {
// Taken before main runs: the time a user waits includes the deployment.
const auto kProgramStart = std::chrono::steady_clock::now();
}  // namespace

#ifdef _WIN32
namespace {

int RunDirect(const std::string& library, const std::string& url, const std::string& folder, double timeout) {
    std::unique_ptr<EngineLibrary> engine = LoadEngineLibrary(library);
    if (!engine || !engine->Init()) {
        PrintError("the engine library could not be loaded");
        return 1;
    }
    auto params = std::make_unique<EngineTaskParams>();
    FillTaskParams(url, paths::Join(folder, SaveNameOf(url)), params.get());
    EngineHandle task = engine->CreateTask(*params);
    auto start = std::chrono::steady_clock::now();
    if (!task || !engine->StartTask(task)) {
        PrintError("the engine refused the task");
        engine->UnInit();
        return 1;
    }
    EngineTaskInfo info{};
    int code = 3;
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        engine->QueryTaskInfo(task, &info);
        double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (info.status == engine::kStatusComplete || info.status == engine::kStatusError) {
            std::printf("status %d error %d done %llu elapsed %.3f\n", info.status, info.errorCode,
                        static_cast<unsigned long long>(info.doneBytes), elapsed);
            code = info.status == engine::kStatusComplete ? 0 : 1;
            break;
        }
        if (timeout > 0 && elapsed > timeout) break;
    }
    std::fflush(stdout);
    engine->DeleteTask(task);
    engine->UnInit();
    return code;
}

}  // namespace
#endif

int RunDownload(const Arguments& args) {
    std::string url, folder, workspace;
    double timeout = 0;
    bool direct = false;
    bool handover = false;
    Arguments plain;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--direct") {
            direct = true;
        } else if (args[i] == "--handover") {
            handover = true;
        } else if (args[i] == "--workspace" && i + 1 < args.size()) {
            workspace = args[++i];
        } else if (args[i] == "--timeout" && i + 1 < args.size()) {
            timeout = std::atof(args[++i].c_str());
        } else {
            plain.push_back(args[i]);
        }
    }
    if (plain.size() != 2) {
        PrintError("usage: download URL FOLDER [--workspace FOLDER] [--timeout SECONDS] [--handover] [--direct]");
        return 2;
    }
    url = plain[0];
    folder = plain[1];
#ifdef _WIN32
    static win32::Win32FileSystem files;
    // With a workspace, the download writes the program's log there, as the program would.
    static DiagnosticLog log(files, win32::LocalTimeStamp);
    Log* logged = !workspace.empty() && log.Open(workspace) ? &log : nullptr;
    static EngineLocation engine;
    static CDownloadManager downloads;
    win32::ConfigureDownloads(downloads, files, engine, logged);
    static win32::Win32Process process;
    // Wine keeps no access lists: the simulator's judge of folders, which
    // checks for links only (the real one is the program's).
    static std::unique_ptr<FolderSecurity> folders = sim::MakeSimFolderSecurity(files);
    Status deployed = win32::DeployDownloadEngine(files, *folders, process, workspace, true, downloads, engine);
    std::string library = engine.Get().value_or("");
    if (!deployed || library.empty()) {
        PrintError("no engine: this program's payload carries no xldl.dll, or its folder could not be made");
        return 1;
    }
    std::printf("engine %s\n", library.c_str());
    if (direct) return RunDirect(library, url, folder, timeout);
    auto start = std::chrono::steady_clock::now();
    auto printed = start - std::chrono::seconds(1);
    int32_t lastState = -1;
    for (;;) {
        std::string savePath;
        int32_t state = 0, percent = 0, speed = 0, retries = 0;
        uint64_t total = 0, done = 0;
        if (!downloads.QueryTask(url, &savePath, &state, &percent, &total, &done, &speed, &retries)) {
            downloads.AddTask(url, folder);
            if (!downloads.QueryTask(url, &savePath, &state, &percent, &total, &done, &speed, &retries)) {
                PrintError("the download could not be added (folder " + folder + ")");
                return 1;
            }
        }
        auto now = std::chrono::steady_clock::now();
        if (state != lastState || now - printed >= std::chrono::seconds(1)) {
            std::printf("state %d percent %d done %llu total %llu speed %d retries %d\n", state, percent,
                        static_cast<unsigned long long>(done), static_cast<unsigned long long>(total), speed,
                        retries);
            std::fflush(stdout);
            printed = now;
            lastState = state;
        }
        if (state == kDownloadComplete) {
            std::printf("saved %s\nelapsed %.3f\n", savePath.c_str(),
                        std::chrono::duration<double>(std::chrono::steady_clock::now() - kProgramStart).count());
            std::fflush(stdout);
            if (handover) {
                Result<std::string> file = downloads.VerifiedFile(url);
                if (!file) {
                    PrintError("not handed over: " + file.failure().Describe());
                    downloads.Stop();
                    return 1;
                }
                std::printf("handed over %s\n", file->c_str());
            }
            downloads.Stop();
            return 0;
        }
        if (state == kDownloadFailed) {
            PrintError("the download failed");
            downloads.Stop();
            return 1;
        }
        if (timeout > 0 && std::chrono::steady_clock::now() - start > std::chrono::duration<double>(timeout)) {
            PrintError("gave up waiting");
            downloads.Stop();
            return 3;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
#else
    (void)timeout;
    (void)direct;
    (void)handover;
    PrintError("the download engine runs in the Windows builds only");
    return 1;
#endif
}

}  // namespace qnb::diag
