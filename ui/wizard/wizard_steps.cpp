#include "ui/wizard/wizard_steps.h"

#include "ui/wizard/system_types.h"

namespace qnb::ui {

namespace {

constexpr StepRow kSteps[] = {
    {0, "option_hardware", "skin/title0.png", "下一步", false},
    {1, "option_system", "skin/title1.png", "下一步", true},
    {3, "option_backupfile", "skin/title3.png", "完成", true},
    {4, "option_download", "skin/title4.png", nullptr, false},
};

}  // namespace

const StepRow& StepRowOf(int step) {
    if (step < kStepHardware) step = kStepHardware;
    if (step > kStepInstall) step = kStepInstall;
    return kSteps[step];
}

StepMove MoveTo(int requested, bool systemChosen) {
    StepMove move;
    move.step = requested < kStepHardware ? kStepHardware : requested;
    if (move.step >= kStepBackupFiles && !systemChosen) {
        move.step = kStepSystem;
        move.noSystemMessage = true;
    }
    move.startsInstall = move.step >= kStepInstall;
    return move;
}

bool SystemChosen(bool localImage, const std::string& imagePath, const std::string& selectedUrl) {
    return localImage ? !imagePath.empty() : !selectedUrl.empty();
}

std::string TipPicture(int step, std::optional<int32_t> chosenImageType) {
    switch (step) {
    case kStepHardware: return "skin/Tip_Hardware.png";
    case kStepSystem: return chosenImageType ? TipPictureOf(*chosenImageType) : "skin/default.jpg";
    case kStepBackupFiles: return "skin/tip_backup.jpg";
    default: return "skin/tip_end.jpg";
    }
}

std::string InstallingPeText::Next() {
    std::string text = "正在安装PE" + std::string(dots_, '.');
    dots_ = dots_ >= 3 ? 0 : dots_ + 1;
    return text;
}

bool EndsProgram(const std::string& fatalText) {
    const size_t at = fatalText.find(kProgramEndsMarker);
    return at != std::string::npos && at > 0;
}

}  // namespace qnb::ui
