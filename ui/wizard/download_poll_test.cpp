// The download poll and the strip on fake download records.
#include "ui/wizard/download_poll.h"

#include <gtest/gtest.h>

#include <map>

namespace qnb::ui {
namespace {

constexpr char kImage[] = "http://img.example/win7.wim";
constexpr char kPackage[] = "http://pe.example/TessalyPE.wim";
constexpr char kWorkspace[] = "D:\\Quenbrook\\Data\\";
constexpr uint64_t GiB = 1ull << 30;

class FakeTasks : public DownloadTasks {
public:
    std::optional<DownloadFacts> Query(const std::string& url) override {
        ++queries[url];
        auto it = records.find(url);
        if (it == records.end()) return std::nullopt;
        return it->second;
    }
    void Add(const std::string& url, const std::string& folder) override { added.push_back(url + " -> " + folder); }

    DownloadFacts& Record(const std::string& url, int32_t state) {
        DownloadFacts& f = records[url];
        f.state = state;
        f.savePath = std::string(kWorkspace) + url.substr(url.rfind('/') + 1);
        return f;
    }
    std::map<std::string, DownloadFacts> records;
    std::map<std::string, int> queries;
    std::vector<std::string> added;
};

DownloadChoice Catalogue() {
    DownloadChoice c;
    c.imageUrl = kImage;
    c.imageName = "Windows 7 64位 旗舰版";
    c.imageType = 4;
    c.packageUrl = kPackage;
    c.workspace = kWorkspace;
    return c;
}

TEST(DownloadPoll, TheFirstRunAddsBothDownloadsAndChangesNothingElse) {
    FakeTasks tasks;
    DownloadPoll poll;
    PollResult r = poll.Run(Catalogue(), tasks);
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(r.pending, 2);
    EXPECT_EQ(tasks.added, (std::vector<std::string>{std::string(kImage) + " -> " + kWorkspace,
                                                     std::string(kPackage) + " -> " + kWorkspace}));
    EXPECT_FALSE(r.view.task.text || r.view.task.visible || r.view.speed.text || r.view.bar.value);
    EXPECT_EQ(r.view.circle, 0);
    EXPECT_FALSE(r.view.timeLeft) << "no speed: the time label keeps its text";
}

TEST(DownloadPoll, UnknownSizesGivePercentZeroAndLeaveTheTime) {
    FakeTasks tasks;
    tasks.Record(kImage, kDownloadNew);
    tasks.Record(kPackage, kDownloadRunning).speed = 0;
    DownloadPoll poll;
    PollResult r = poll.Run(Catalogue(), tasks);
    EXPECT_EQ(r.pending, 2);
    EXPECT_TRUE(tasks.added.empty());
    EXPECT_EQ(r.view.circle, 0);
    EXPECT_FALSE(r.view.timeLeft);
    // A speed without sizes counts against a whole GiB.
    tasks.Record(kPackage, kDownloadRunning).speed = 1 << 20;
    r = poll.Run(Catalogue(), tasks);
    EXPECT_EQ(r.view.timeLeft, "剩余：17分34秒") << "1024 s + 30 s";
}

TEST(DownloadPoll, WhileTheImageDownloads) {
    FakeTasks tasks;
    DownloadFacts& image = tasks.Record(kImage, kDownloadRunning);
    image.totalBytes = 3 * GiB + GiB / 2;
    image.doneBytes = GiB;
    image.speed = 1048577;
    image.percent = 28;
    DownloadFacts& package = tasks.Record(kPackage, kDownloadRunning);
    package.totalBytes = GiB / 2;
    package.doneBytes = GiB / 4;
    package.speed = 1048575;
    DownloadPoll poll;
    PollResult r = poll.Run(Catalogue(), tasks);
    EXPECT_EQ(r.pending, 2);
    EXPECT_EQ(r.view.task.text, "正在下载");
    EXPECT_EQ(r.view.task.visible, true);
    EXPECT_EQ(r.view.speed.text, "1.0MB/S");
    EXPECT_EQ(r.view.speed.colour, kSpeedColour);
    EXPECT_EQ(r.view.speed.visible, true);
    EXPECT_EQ(r.view.retry.text, " ");
    EXPECT_EQ(r.view.size.text, "1024.0MB/3.5GB");
    EXPECT_EQ(r.view.bar.value, 28);
    EXPECT_EQ(r.view.bar.visible, true);
    // 1.25 of 4 GiB at 2 MiB/s: 29 %, and 1408 s + 30 s left.
    EXPECT_EQ(r.view.circle, 29);
    EXPECT_EQ(r.view.timeLeft, "剩余：23分58秒");
}

TEST(DownloadPoll, ConnectingWithRetriesCountsItsDotsOnlyWhileShown) {
    FakeTasks tasks;
    tasks.Record(kImage, kDownloadRunning).retries = 0;
    tasks.Record(kPackage, kDownloadRunning);
    DownloadPoll poll;
    PollResult r = poll.Run(Catalogue(), tasks);
    EXPECT_EQ(r.view.speed.text, "网络连接中..");
    EXPECT_EQ(r.view.speed.colour, kConnectingColour);
    EXPECT_EQ(r.view.retry.text, "") << "no retry yet";
    tasks.records[kImage].retries = 3;
    std::vector<std::string> seen;
    for (int i = 0; i < 5; ++i) seen.push_back(*poll.Run(Catalogue(), tasks).view.retry.text);
    EXPECT_EQ(seen, (std::vector<std::string>{"网络异常，正在进行第3次重试.", "网络异常，正在进行第3次重试..",
                                              "网络异常，正在进行第3次重试...", "网络异常，正在进行第3次重试",
                                              "网络异常，正在进行第3次重试."}));
}

TEST(DownloadPoll, ACompleteImageIsStoredOnceAndTheRestWaitsForThePackage) {
    FakeTasks tasks;
    DownloadFacts& image = tasks.Record(kImage, kDownloadComplete);
    image.totalBytes = image.doneBytes = GiB;
    DownloadFacts& package = tasks.Record(kPackage, kDownloadRunning);
    package.totalBytes = GiB;
    package.doneBytes = GiB / 2;
    package.speed = 1 << 20;
    DownloadPoll poll;
    PollResult r = poll.Run(Catalogue(), tasks);
    EXPECT_EQ(r.pending, 1);
    EXPECT_EQ(r.imageFile, std::string(kWorkspace) + "win7.wim");
    EXPECT_EQ(r.view.task.text, "下载完成");
    EXPECT_EQ(r.view.task.visible, true);
    EXPECT_EQ(r.view.speed.visible, false);
    EXPECT_EQ(r.view.size.visible, false);
    EXPECT_EQ(r.view.bar.visible, false);
    EXPECT_EQ(r.view.circle, 71);
    EXPECT_FALSE(poll.Run(Catalogue(), tasks).imageFile) << "not written again on every tick";
}

TEST(DownloadPoll, AllCompleteIsNinetyFivePercentAndThirtySeconds) {
    FakeTasks tasks;
    tasks.Record(kImage, kDownloadComplete).totalBytes = GiB;
    tasks.Record(kPackage, kDownloadComplete).totalBytes = GiB;
    DownloadPoll poll;
    PollResult r = poll.Run(Catalogue(), tasks);
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(r.pending, 0);
    EXPECT_EQ(r.view.circle, 95);
    EXPECT_EQ(r.view.timeLeft, "剩余：30秒");
}

TEST(DownloadPoll, TheCirclesPercentIsTakenModuloNinetySix) {
    FakeTasks tasks;
    DownloadFacts& image = tasks.Record(kImage, kDownloadRunning);
    image.totalBytes = 100;
    image.doneBytes = 102;  // more than announced: 96 %
    image.speed = 1;
    tasks.Record(kPackage, kDownloadRunning);
    DownloadPoll poll;
    EXPECT_EQ(poll.Run(Catalogue(), tasks).view.circle, 0);
}

TEST(DownloadPoll, Failures) {
    struct Case {
        const char* what;
        int32_t image;
        int32_t package;
        std::string packageUrl;
        const char* text;
    };
    const Case cases[] = {
        {"image failed", kDownloadFailed, kDownloadRunning, kPackage, kImageFailedText},
        {"package failed", kDownloadRunning, kDownloadFailed, kPackage, kPackageFailedText},
        {"no package address", kDownloadComplete, kDownloadRunning, "", kPackageFailedText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeTasks tasks;
        tasks.Record(kImage, c.image);
        tasks.Record(kPackage, c.package);
        DownloadChoice choice = Catalogue();
        choice.packageUrl = c.packageUrl;
        DownloadPoll poll;
        PollResult r = poll.Run(choice, tasks);
        EXPECT_TRUE(r.failed);
        EXPECT_EQ(r.fatalText, c.text);
        EXPECT_TRUE(tasks.added.empty());
    }
    FakeTasks tasks;
    tasks.Record(kImage, kDownloadFailed);
    DownloadPoll poll;
    poll.Run(Catalogue(), tasks);
    EXPECT_EQ(tasks.queries[kPackage], 0) << "a failed image ends the run before the package";
}

TEST(DownloadPoll, WhatIsPolledInTheEnvironmentAndForALocalImage) {
    FakeTasks tasks;
    DownloadChoice pe = Catalogue();
    pe.peMode = true;
    pe.packageUrl.clear();
    DownloadPoll poll;
    EXPECT_EQ(poll.Run(pe, tasks).pending, 1);
    EXPECT_EQ(tasks.added, std::vector<std::string>{std::string(kImage) + " -> " + kWorkspace}) << "only the image";

    DownloadChoice local = Catalogue();
    local.localImage = true;
    local.imagePath = "D:\\WIN7.ISO";
    FakeTasks none;
    EXPECT_EQ(poll.Run(local, none).pending, 1) << "only the package";
    EXPECT_EQ(none.queries.count(kImage), 0u);

    local.peMode = true;
    PollResult r = DownloadPoll().Run(local, none);
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(r.pending, 0) << "nothing to download: done at the first run";
}

TEST(DownloadStrip, TheStripOnTheSystemAndBackupSteps) {
    FakeTasks tasks;
    DownloadView none = StripRefresh(Catalogue(), tasks);
    EXPECT_EQ(none.selected.text, "Windows 7 64位 旗舰版");
    EXPECT_EQ(none.task.visible, false);
    EXPECT_EQ(none.speed.visible, false);
    EXPECT_EQ(none.bar.visible, false);

    DownloadFacts& image = tasks.Record(kImage, kDownloadRunning);
    image.speed = 2048;
    image.doneBytes = 1 << 20;
    image.totalBytes = 8 << 20;
    image.percent = 12;
    DownloadView running = StripRefresh(Catalogue(), tasks);
    EXPECT_EQ(running.task.text, "正在下载");
    EXPECT_EQ(running.speed.text, "2.0KB/S");
    EXPECT_EQ(running.size.text, "1024.0KB/8.0MB");
    EXPECT_EQ(running.bar.value, 12);

    tasks.Record(kImage, kDownloadComplete);
    EXPECT_EQ(StripRefresh(Catalogue(), tasks).task.text, "下载完成");

    DownloadChoice local = Catalogue();
    local.localImage = true;
    local.imagePath = "D:\\IMAGES\\WIN7.GHO";
    DownloadView localView = StripRefresh(local, tasks);
    EXPECT_EQ(localView.selected.text, "D:\\IMAGES\\WIN7.GHO");
    EXPECT_EQ(localView.task.text, "稍后将转移镜像");
    EXPECT_EQ(localView.speed.visible, false);
}

TEST(DownloadStrip, TheInstallPagesLabels) {
    FakeTasks tasks;
    EXPECT_EQ(InstallLabels(Catalogue(), tasks).selected.text, "已选择：Windows 7 64位");
    DownloadChoice nothing;
    EXPECT_EQ(InstallLabels(nothing, tasks).selected.text, "未选择系统");
    DownloadChoice local = Catalogue();
    local.localImage = true;
    local.imagePath = "D:\\WIN7.ISO";
    DownloadView view = InstallLabels(local, tasks);
    EXPECT_EQ(view.selected.text, "已选择：D:\\WIN7.ISO");
    EXPECT_EQ(view.task.text, "正在转移镜像");
    EXPECT_EQ(view.bar.visible, false);
}

}  // namespace
}  // namespace qnb::ui
