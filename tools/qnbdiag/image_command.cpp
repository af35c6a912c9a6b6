// qnbdiag wim-info and iso-choose: the WIM reader on a file, and the image
// choice window for local ISO files with the program's own tools.
#include "images/image_list.h"
#include "images/wim_file.h"
#include "tools/imagex/random_access_file.h"
#include "tools/qnbdiag/commands.h"
#include "tools/qnbdiag/json_output.h"

#ifdef _WIN32
#include "app/app_context.h"
#include "images/iso_choice.h"
#include "images/iso_tools_win32.h"
#include "log/logged_process.h"
#include "platform/sim/sim_folder_security.h"
#include "platform/sim/sim_machine.h"
#include "ui/desktop.h"
#include "ui/iso/iso_info_dlg.h"
#include "uikit/win32/framework.h"

#include <cstdio>
#endif

namespace qnb::diag {

int RunWimInfo(const Arguments& args) {
    if (args.size() != 1) {
        PrintError("usage: qnbdiag wim-info FILE");
        return 2;
    }
    std::unique_ptr<imagex::RandomAccessFile> file = imagex::OpenForReading(args[0]);
    if (!file) {
        PrintError(args[0] + ": the file cannot be opened");
        return 1;
    }
    wim::Problem problem;
    wim::Header header;
    std::optional<std::string> xml = wim::ReadXml(
        [&](uint64_t offset, size_t length, uint8_t* out) { return file->ReadAt(offset, length, out); },
        file->size(), &problem, &header);
    if (!xml) {
        PrintError(args[0] + ": " + wim::Describe(problem));
        return 1;
    }
    Json::Value j(Json::objectValue);
    j["version"] = header.version;
    j["image_count"] = header.imageCount;
    j["part"] = header.partNumber;
    j["parts"] = header.totalParts;
    j["xml_offset"] = Json::UInt64(header.xml.offset);
    j["xml_size"] = Json::UInt64(header.xml.sizeInWim);
    j["images"] = Json::Value(Json::arrayValue);
    for (const images::ImageEntry& image : images::ParseImageList(*xml)) {
        Json::Value i(Json::objectValue);
        i["index"] = image.index;
        i["name"] = image.name;
        i["display_description"] = image.displayDescription;
        i["label"] = image.Label();
        j["images"].append(i);
    }
    PrintJson(j);
    return 0;
}

#ifndef _WIN32

int RunIsoChoose(const Arguments&) {
    PrintError("iso-choose opens a window; use the Windows build");
    return 2;
}

#else

namespace {

// The tool runs and the ISO side's notes, on standard error.
class ErrorLog : public Log {
public:
    void Write(std::string_view area, std::string_view text) override {
        std::fprintf(stderr, "[%.*s] %.*s\n", static_cast<int>(area.size()), area.data(), static_cast<int>(text.size()),
                     text.data());
        std::fflush(stderr);
    }
};

}  // namespace

int RunIsoChoose(const Arguments& args) {
    std::vector<std::string> isos;
    bool store = false;
    for (const std::string& arg : args) {
        if (arg == "--store") {
            store = true;
        } else {
            isos.push_back(arg);
        }
    }
    if (isos.empty()) {
        PrintError("usage: qnbdiag iso-choose ISO... [--store]");
        return 2;
    }
    std::string error;
    auto machine = sim::OpenMachineFromEnvironment(&error);
    if (!machine) {
        PrintError(error);
        return 1;
    }
    if (!uikit::Framework::Initialise(GetModuleHandleW(nullptr))) {
        PrintError("the skin cannot be read");
        return 1;
    }
    AppContext context;
    if (store && !context.Initialise(machine->storage(), machine->system(), machine->files(), machine->folderSecurity())) {
        PrintError("the application context is not ready: nothing can be stored");
        return 1;
    }
    ErrorLog log;
    LoggedProcessPort process(machine->process(), log);
    // Wine keeps no access lists: the simulator's judge of the tools' folder,
    // which checks for links only (the real one is the program's).
    std::unique_ptr<FolderSecurity> folders = sim::MakeSimFolderSecurity(machine->files());
    std::unique_ptr<images::IsoTools> tools =
        images::win32::MakeIsoTools(machine->files(), *folders, process, machine->storage(), &log);
    Json::Value j(Json::objectValue);
    j["choices"] = Json::Value(Json::arrayValue);
    for (const std::string& iso : isos) {
        images::IsoChoice choice = ui::ChooseIsoImage(nullptr, iso, *tools, machine->files(), ui::SystemDesktop());
        Json::Value c(Json::objectValue);
        c["iso"] = iso;
        c["result"] = choice.result;
        c["ready"] = choice.ready;
        c["image"] = choice.imageIndex;
        if (store) c["stored"] = images::StoreIsoChoice(context, iso, choice);
        j["choices"].append(c);
    }
    j["isocmd_deployments"] = tools->isocmdDeployments();
    j["imagex_deployments"] = tools->imagexDeployments();
    PrintJson(j);
    return 0;
}

#endif

}  // namespace qnb::diag
