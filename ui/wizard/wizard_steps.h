// The reinstall wizard's steps: what each one shows, when a step may be
// reached, the tip picture beside it, and the texts of the wizard itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qnb::ui {

enum WizardStep : int {
    kStepHardware = 0,
    kStepSystem = 1,
    kStepBackupFiles = 2,
    kStepInstall = 3,
};

// What a step shows.
struct StepRow {
    int tab;             // page of install_main_tab
    const char* option;  // the left-column option that is selected
    const char* title;   // the "title" label's picture
    const char* next;    // btn_next's text; nullptr: disabled (the install stage)
    bool back;           // btn_back enabled
};
// The row of a step; every step from 3 on is the install stage.
const StepRow& StepRowOf(int step);

// Where a move of the step machine ends.
struct StepMove {
    int step = kStepHardware;
    bool noSystemMessage = false;  // refused: the message, and the system step instead
    bool startsInstall = false;    // the install stage begins
};
// The backup-file step and the install stage need a chosen system.
StepMove MoveTo(int requested, bool systemChosen);

// A local image needs its stored path; a catalogue image a selected entry with a URL.
bool SystemChosen(bool localImage, const std::string& imagePath, const std::string& selectedUrl);

// install_tip's picture: the hardware tip, the chosen image's type (the
// default picture without one), the backup tip, then the closing one.
std::string TipPicture(int step, std::optional<int32_t> chosenImageType);

// "正在安装PE" with 0, 1, 2, 3 dots in turn, from 0 (timer 999).
class InstallingPeText {
public:
    std::string Next();

private:
    int dots_ = 0;
};

constexpr char kWizardTitle[] = "重装 - Tessaly重装助手";
constexpr char kNoSystemCaption[] = "提示";
constexpr char kNoSystemText[] = "您必须选择一个要安装的系统，才能进行下一步！";
constexpr char kQuitCaption[] = "退出？";
constexpr char kQuitText[] = "是否退出？";
// A fatal text with this in it (after its start) ends the whole program.
constexpr char kProgramEndsMarker[] = "本软件将自动退出";
// Where the preinstallation environment's own tool is, in PE mode.
constexpr char kChangeDeskPath[] = "X:\\windows\\changeDesk.exe";

// Whether a fatal error text ends the program: the marker after its first character.
bool EndsProgram(const std::string& fatalText);

}  // namespace qnb::ui
