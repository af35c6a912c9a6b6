// What the wizard shows of the image and package downloads, and the poll
// that drives its install stage every 500 ms: it adds the downloads the
// download manager does not have yet, adds up their progress, reports a
// failure as the fatal text and says how many are still pending.
//
// Everything here returns a view: what the strip's labels, its bar, the
// circle and the time label are to show. A field left empty keeps what the
// control shows. The wizard applies the view on its window's thread.
#pragma once

#include "download/download_tasks.h"
#include "ui/wizard/progress_formats.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qnb::ui {

// What the wizard knows of the choice when it shows the downloads.
struct DownloadChoice {
    bool localImage = false;
    std::string imagePath;     // the local image (bLocalImage)
    std::string imageUrl;      // the selected catalogue entry's
    std::string imageName;     // its name
    int32_t imageType = 0;     // its imagetype; 0 when none is selected
    bool peMode = false;       // no package is downloaded in the environment
    std::string packageUrl;    // this run's, or LocalPeUrl
    std::string workspace;     // where the downloads are saved
};

struct LabelChange {
    std::optional<std::string> text;
    std::optional<bool> visible;
    std::optional<uint32_t> colour;  // text colour, ARGB
};

struct BarChange {
    std::optional<int> value;
    std::optional<bool> visible;
};

struct DownloadView {
    LabelChange selected;  // lab_selected_sys(2)
    LabelChange task;      // lab_sys_task(2)
    LabelChange speed;     // lab_speed(2)
    LabelChange size;      // lab_size(2)
    BarChange bar;         // task_progress(2)
    LabelChange retry;     // lab_net_retry (install page)
    std::optional<int> circle;            // circle_progress: value, and "%d%%" as its text
    std::optional<std::string> timeLeft;  // time_remain
};

// The strip on the system and backup-file steps.
DownloadView StripRefresh(const DownloadChoice& choice, DownloadTasks& tasks);
// The install page's labels when the install stage starts.
DownloadView InstallLabels(const DownloadChoice& choice, DownloadTasks& tasks);

constexpr char kImageFailedText[] =
    "系统镜像下载失败,请关闭安全软件或检查网络连接。\r\n点击确定后本软件将自动退出，请稍后重新打开。";
constexpr char kPackageFailedText[] =
    "无法从服务器下载文件，可能是服务器繁忙或本地网络异常。\r\n点击确定后本软件将自动退出，请稍后重新打开。";
constexpr uint32_t kSpeedColour = 0xFF505050;
constexpr uint32_t kConnectingColour = 0xFFB90000;

struct PollResult {
    bool failed = false;   // fatalText is to be posted; polling stops
    int pending = 0;       // downloads not complete yet (0: all done)
    std::string fatalText;
    // The image download is complete: its saved file (for strImagePath);
    // given once per saved file.
    std::optional<std::string> imageFile;
    DownloadView view;
};

class DownloadPoll {
public:
    PollResult Run(const DownloadChoice& choice, DownloadTasks& tasks);

private:
    RetryDots dots_;
    std::string storedImage_;
};

}  // namespace qnb::ui
