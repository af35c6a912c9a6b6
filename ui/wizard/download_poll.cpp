#include "ui/wizard/download_poll.h"

#include "ui/wizard/system_types.h"

#include <cmath>
#include <limits>

namespace qnb::ui {

namespace {

constexpr char kDownloading[] = "正在下载";
constexpr char kDownloaded[] = "下载完成";
constexpr char kConnecting[] = "网络连接中..";

void HideProgress(DownloadView& view) {
    view.speed.visible = false;
    view.size.visible = false;
    view.bar.visible = false;
}

// The state display shared by the strip and the install page's first look.
void ShowState(const std::optional<DownloadFacts>& facts, DownloadView& view) {
    const int32_t state = facts ? facts->state : kDownloadNew;
    if (state == kDownloadRunning) {
        view.task.text = kDownloading;
        view.speed = {FormatSpeed(facts->speed), true, std::nullopt};
        view.size = {FormatSizePair(facts->doneBytes, facts->totalBytes), true, std::nullopt};
        view.bar = {facts->percent, true};
        view.task.visible = true;
    } else if (state == kDownloadComplete) {
        HideProgress(view);
        view.task = {kDownloaded, true, std::nullopt};
    } else {
        view.task.visible = false;
        HideProgress(view);
    }
}

// The seconds left as a 32-bit count; nothing when the quotient does not fit (no speed).
std::optional<int32_t> SecondsLeft(double seconds) {
    if (!std::isfinite(seconds) || seconds >= 2147483648.0 || seconds <= -2147483649.0) return std::nullopt;
    return static_cast<int32_t>(seconds);
}

}  // namespace

DownloadView StripRefresh(const DownloadChoice& choice, DownloadTasks& tasks) {
    DownloadView view;
    view.selected = {choice.localImage ? choice.imagePath : choice.imageName, true, std::nullopt};
    if (choice.localImage) {
        view.task = {"稍后将转移镜像", true, std::nullopt};
        HideProgress(view);
        return view;
    }
    ShowState(tasks.Query(choice.imageUrl), view);
    return view;
}

DownloadView InstallLabels(const DownloadChoice& choice, DownloadTasks& tasks) {
    DownloadView view;
    view.selected.text = choice.localImage ? "已选择：" + choice.imagePath : std::string(InstallLabelOf(choice.imageType));
    if (choice.localImage) {
        view.task = {"正在转移镜像", true, std::nullopt};
        HideProgress(view);
        return view;
    }
    ShowState(tasks.Query(choice.imageUrl), view);
    return view;
}

PollResult DownloadPoll::Run(const DownloadChoice& choice, DownloadTasks& tasks) {
    PollResult result;
    DownloadView& view = result.view;
    uint64_t total = 0;
    uint64_t done = 0;
    int64_t speed = 0;
    auto add = [&](const DownloadFacts& f) {
        total += f.totalBytes;
        done += f.doneBytes;
        speed += f.speed;
    };
    auto fail = [&](const char* text) {
        result.failed = true;
        result.fatalText = text;
        return result;
    };

    if (!choice.localImage) {
        ++result.pending;
        std::optional<DownloadFacts> image = tasks.Query(choice.imageUrl);
        if (!image) {
            tasks.Add(choice.imageUrl, choice.workspace);
        } else {
            add(*image);
            if (image->state == kDownloadFailed) return fail(kImageFailedText);
            if (image->state == kDownloadRunning) {
                view.task.text = kDownloading;
                view.speed.colour = kSpeedColour;
                if (image->speed <= 0) {
                    view.speed.text = kConnecting;
                    view.speed.colour = kConnectingColour;
                    view.retry.text = image->retries == 0 ? std::string() : RetryText(image->retries, dots_.Next());
                } else {
                    view.retry.text = " ";
                    view.speed.text = FormatSpeed(image->speed);
                }
                view.speed.visible = true;
                view.size = {FormatSizePair(image->doneBytes, image->totalBytes), true, std::nullopt};
                view.bar = {image->percent, true};
                view.task.visible = true;
            } else if (image->state == kDownloadComplete) {
                --result.pending;
                // SETTING.JSON is written when the saved file is new to this wizard, not on every tick.
                if (image->savePath != storedImage_) {
                    storedImage_ = image->savePath;
                    result.imageFile = image->savePath;
                }
                HideProgress(view);
                view.task = {kDownloaded, true, std::nullopt};
            }
        }
    }

    if (!choice.peMode) {
        if (choice.packageUrl.empty()) return fail(kPackageFailedText);
        ++result.pending;
        std::optional<DownloadFacts> package = tasks.Query(choice.packageUrl);
        if (!package) {
            tasks.Add(choice.packageUrl, choice.workspace);
        } else {
            add(*package);
            if (package->state == kDownloadFailed) return fail(kPackageFailedText);
            if (package->state == kDownloadComplete) --result.pending;
        }
    }

    const double totalSum = total == 0 ? 1073741824.0 : static_cast<double>(total);
    double percent = std::trunc(static_cast<double>(done) * 95.0 / totalSum);
    std::optional<int32_t> seconds =
        SecondsLeft((totalSum - static_cast<double>(done)) / static_cast<double>(speed) + 30.0);
    if (result.pending == 0) {
        percent = 95;
        seconds = 30;
    }
    if (seconds && *seconds > 0) view.timeLeft = FormatTimeLeft(*seconds);
    const uint32_t whole = percent > 0 && percent < 4294967296.0 ? static_cast<uint32_t>(percent) : 0;
    view.circle = static_cast<int>(whole % 96);
    return result;
}

}  // namespace qnb::ui
