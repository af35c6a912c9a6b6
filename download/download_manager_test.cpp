#include "download/download_manager.h"

#include "download/download_records.h"
#include "platform/sha256.h"
#include "jobs/test_support/manual_clock.h"
#include "platform/posix/host_file_system.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <condition_variable>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace qnb {
namespace {

// A scripted engine: every task reports what the test sets in `status`.
class FakeEngine : public EngineLibrary {
public:
    struct Task {
        std::string url, folder, fileName;
        int starts = 0;
        bool deleted = false;
    };
    bool Init() override { return inits++, true; }
    bool UnInit() override { return uninits++, true; }
    EngineHandle CreateTask(const EngineTaskParams& p) override {
        Task t;
        t.url = text::Utf16ToUtf8(engine::FieldText(p.url, engine::kUrlUnits));
        t.folder = text::Utf16ToUtf8(engine::FieldText(p.folder, engine::kPathUnits));
        t.fileName = text::Utf16ToUtf8(engine::FieldText(p.fileName, engine::kPathUnits));
        EXPECT_EQ(p.resume, 1u);
        EXPECT_EQ(p.onlyOriginal, 0u);
        tasks.push_back(t);
        return reinterpret_cast<EngineHandle>(tasks.size());
    }
    bool StartTask(EngineHandle h) override {
        Task* t = Get(h);
        if (!t || t->deleted) return false;
        ++t->starts;
        return startSucceeds;
    }
    bool QueryTaskInfo(EngineHandle h, EngineTaskInfo* info) override {
        std::memset(info, 0, sizeof *info);
        Task* t = Get(h);
        if (!t || t->deleted) return false;
        ++queries;
        info->status = status;
        info->totalBytes = total;
        info->doneBytes = static_cast<uint64_t>(progress * total);
        info->progress = progress;
        info->speed = speed;
        std::u16string name = text::Utf8ToUtf16(engineFileName.empty() ? t->fileName : engineFileName);
        std::copy(name.begin(), name.end(), info->fileName);
        return true;
    }
    bool StopTask(EngineHandle h) override { return stops.push_back(reinterpret_cast<uintptr_t>(h)), true; }
    bool DeleteTask(EngineHandle h) override {
        Task* t = Get(h);
        if (t) t->deleted = true;
        return t != nullptr;
    }
    Task* Get(EngineHandle h) {
        auto i = reinterpret_cast<uintptr_t>(h);
        return i >= 1 && i <= tasks.size() ? &tasks[i - 1] : nullptr;
    }
    int Deleted() const {
        int n = 0;
        for (const Task& t : tasks) n += t.deleted;
        return n;
    }

    std::vector<Task> tasks;
    std::vector<uintptr_t> stops;
    int32_t status = 3;
    uint64_t total = 1000;
    float progress = 0;
    uint32_t speed = 100;
    std::string engineFileName;
    bool startSucceeds = true;
    int inits = 0, uninits = 0, queries = 0;
};

// The manager owns its engine object; this one forwards to the test's.
struct Forward : EngineLibrary {
    explicit Forward(FakeEngine& e) : e(e) {}
    bool Init() override { return e.Init(); }
    bool UnInit() override { return e.UnInit(); }
    EngineHandle CreateTask(const EngineTaskParams& p) override { return e.CreateTask(p); }
    bool StartTask(EngineHandle h) override { return e.StartTask(h); }
    bool QueryTaskInfo(EngineHandle h, EngineTaskInfo* i) override { return e.QueryTaskInfo(h, i); }
    bool StopTask(EngineHandle h) override { return e.StopTask(h); }
    bool DeleteTask(EngineHandle h) override { return e.DeleteTask(h); }
    FakeEngine& e;
};

using namespace std::chrono_literals;

// The test's clock as the worker sees it, counting the worker's waits: after
// something that wakes the worker, the test waits for its next wait, and so
// knows that the pass it asked for is done.
class CountingClock : public Clock {
public:
    explicit CountingClock(test::ManualClock& clock) : clock_(clock) {}
    TimePoint Now() override { return clock_.Now(); }
    bool SleepUntil(TimePoint deadline, const StopToken& stop) override {
        {
            std::lock_guard lock(mutex_);
            ++sleeps_;
            changed_.notify_all();
        }
        return clock_.SleepUntil(deadline, stop);
    }
    int Sleeps() {
        std::lock_guard lock(mutex_);
        return sleeps_;
    }
    bool WaitForSleeps(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 30s, [&] { return sleeps_ >= count; });
    }

private:
    test::ManualClock& clock_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int sleeps_ = 0;
};

// The manager's worker runs as in the program; the test drives its clock, a
// pass at a time, and looks at the engine and the records while the worker
// waits for its next pass.
class DownloadManagerTest : public ::testing::Test {
protected:
    DownloadManagerTest() {
        ::mkdir((root_ + "/E").c_str(), 0755);
        clock_.Advance(1000000s);
        manager_ = std::make_unique<CDownloadManager>(Ports());
        manager_->Initialise(kWorkspace);  // as at start-up: there is no Download.json yet
    }
    DownloadManagerPorts Ports() {
        DownloadManagerPorts ports;
        ports.files = &files_;
        ports.openEngine = [this](const StopToken&) -> std::unique_ptr<EngineLibrary> {
            if (!engineAvailable_) return nullptr;
            return std::make_unique<Forward>(engine_);
        };
        ports.clock = &counting_;
        ports.rename = [this](const std::string& from, const std::string& to) {
            renames_.push_back({from, to});
            return true;
        };
        return ports;
    }
    // What the engine leaves for a download it calls complete, and what it
    // would have kept beside it had it not finished.
    void Downloaded(const std::string& name, const std::string& bytes) {
        (void)files_.makeDirectory("E:\\Quenbrook");
        (void)files_.makeDirectory("E:\\Quenbrook\\Data");
        files_.writeFile(std::string(kWorkspace) + name, bytes);
        files_.writeFile(std::string(kWorkspace) + name + engine::kPartSuffix, "part");
        files_.writeFile(std::string(kWorkspace) + name + engine::kControlSuffix, "control");
    }
    bool Exists(const std::string& name) { return files_.access(std::string(kWorkspace) + name, FileSystem::kExists); }
    ~DownloadManagerTest() override {
        manager_.reset();  // the worker ends before the engine and the files go
        std::system(("rm -rf '" + root_ + "'").c_str());
    }

    struct Query {
        bool found;
        std::string savePath;
        int32_t state, percent, speed, retries;
        uint64_t total, done;
    };
    Query Ask(const std::string& url) {
        Query q{};
        q.found = manager_->QueryTask(url, &q.savePath, &q.state, &q.percent, &q.total, &q.done, &q.speed, &q.retries);
        return q;
    }
    // Adds a download and lets the worker make and start its engine task:
    // the first download starts the worker, and every new one wakes it.
    void Start(const std::string& url = kUrl) {
        Woken([&] { manager_->AddTask(url, kWorkspace); });
    }
    // Does what wakes the worker, and waits until its pass is done.
    template <typename F>
    void Woken(F action) {
        int before = counting_.Sleeps();
        action();
        ASSERT_TRUE(counting_.WaitForSleeps(before + 1));
        ASSERT_TRUE(clock_.WaitForSleepers(1));
    }
    // One more pass of the worker, when it is due or after a longer while.
    void Pass(std::chrono::milliseconds after = kDownloadPassInterval) { ASSERT_TRUE(clock_.Step(after)); }
    int64_t Now() { return std::chrono::duration_cast<std::chrono::seconds>(clock_.Now()).count(); }

    static std::string MakeRoot() {
        char pattern[] = "/tmp/qnb-downloads-XXXXXX";
        return ::mkdtemp(pattern);
    }
    static constexpr const char* kUrl = "http://img.example/sys/win7.gho";
    static constexpr const char* kWorkspace = "E:\\Quenbrook\\Data\\";
    std::string root_ = MakeRoot();
    HostFileSystem files_{root_};
    FakeEngine engine_;
    bool engineAvailable_ = true;
    test::ManualClock clock_;
    CountingClock counting_{clock_};
    std::vector<std::pair<std::string, std::string>> renames_;
    std::unique_ptr<CDownloadManager> manager_;
};

TEST_F(DownloadManagerTest, TwoAddsForOneUrlMakeOneRecordAndOneEngineTask) {
    Woken([&] {
        manager_->AddTask(kUrl, "E:\\Quenbrook\\Data");  // no trailing separator: the folder is made
        manager_->AddTask(kUrl, "E:\\Quenbrook\\Data");
    });
    manager_->AddTask(kUrl, "E:\\Quenbrook\\Data");
    Pass();
    EXPECT_EQ(manager_->Records().size(), 1u);
    ASSERT_EQ(engine_.tasks.size(), 1u);
    EXPECT_EQ(engine_.tasks[0].url, kUrl);
    EXPECT_EQ(engine_.tasks[0].folder, "E:\\Quenbrook\\Data\\");
    EXPECT_EQ(engine_.tasks[0].fileName, "win7.gho");
    EXPECT_EQ(Ask(kUrl).savePath, "E:\\Quenbrook\\Data\\win7.gho");
    EXPECT_EQ(Ask(kUrl).state, kDownloadRunning);
    EXPECT_EQ(manager_->GetSavePath(kUrl), "E:\\Quenbrook\\Data\\win7.gho");
    EXPECT_EQ(manager_->GetSavePath("http://other.example/x"), "");
    EXPECT_FALSE(Ask("http://other.example/x").found);
}

TEST_F(DownloadManagerTest, SaveNames) {
    struct Case { const char* url; const char* name; };
    const Case cases[] = {
        {"http://img.example/sys/win7.gho", "win7.gho"},
        {"win7.gho", "win7.gho"},                                   // no "/": the whole URL
        {"http://img.example/get/win10.iso?token=a/b&x=1", "win10.iso"},  // a query is no part of a name
        {"http://img.example/pe.wim#part", "pe.wim"},
        {"http://img.example/a:b*c.gho", "a_b_c.gho"},
    };
    for (const Case& c : cases) EXPECT_EQ(SaveNameOf(c.url), c.name) << c.url;
    // Names the workspace must not have are replaced, the same way each time.
    for (const char* url : {"http://img.example/..", "http://img.example/CON", "http://img.example/com1.iso",
                            "http://img.example/a.iso.", "http://img.example/SETTING.JSON",
                            "http://img.example/Download.json?x=1", "http://img.example/"}) {
        std::string name = SaveNameOf(url);
        EXPECT_EQ(name.substr(0, 9), "download-") << url;
        EXPECT_EQ(SaveNameOf(url), name) << url;
    }
}

TEST_F(DownloadManagerTest, ADownloadNamedLikeTheHandOffFileNeverTouchesIt) {
    Downloaded("SETTING.JSON", "the hand-off file");
    Start("http://img.example/SETTING.JSON");
    ASSERT_EQ(engine_.tasks.size(), 1u);
    EXPECT_NE(engine_.tasks[0].fileName, "SETTING.JSON");
    EXPECT_EQ(files_.readFile(std::string(kWorkspace) + "SETTING.JSON"), "the hand-off file");
}

TEST_F(DownloadManagerTest, AnOlderFileOfTheSameNameIsDeletedButItsPartialDownloadStays) {
    ASSERT_TRUE(files_.makeDirectory("E:\\Quenbrook") && files_.makeDirectory("E:\\Quenbrook\\Data"));
    files_.writeFile("E:\\Quenbrook\\Data\\win7.gho", "old");
    files_.writeFile("E:\\Quenbrook\\Data\\win7.gho.qnbdl", "partial");
    Start();
    ASSERT_EQ(engine_.tasks.size(), 1u);
    EXPECT_FALSE(files_.access("E:\\Quenbrook\\Data\\win7.gho", FileSystem::kExists));
    EXPECT_TRUE(files_.access("E:\\Quenbrook\\Data\\win7.gho.qnbdl", FileSystem::kExists));
}

TEST_F(DownloadManagerTest, ANewDownloadStartsAtOnce) {
    Start("http://img.example/pe/TessalyPE.wim");
    Pass();
    const auto before = clock_.Now();
    Start(kUrl);  // the worker is asleep: the add wakes it
    EXPECT_EQ(clock_.Now(), before) << "no time had to pass";
    ASSERT_EQ(engine_.tasks.size(), 2u);
    EXPECT_EQ(engine_.tasks[1].fileName, "win7.gho");
    EXPECT_EQ(engine_.tasks[1].starts, 1);
    EXPECT_EQ(Ask(kUrl).state, kDownloadRunning);
}

// A download about to end is looked at when it should be done, so that its
// completion is seen within a fraction of a second; others once a second.
TEST_F(DownloadManagerTest, TheNextPassComesWhenTheDownloadShouldBeDone) {
    Start();
    engine_.speed = 1000;  // of 1000 bytes
    engine_.progress = 0.7f;
    Pass();  // the worker learns that 300 bytes are left: 0.3 s, and a little for the engine to finish
    const int queries = engine_.queries;
    clock_.Advance(309ms);
    ASSERT_TRUE(clock_.WaitForSleepers(1));
    EXPECT_EQ(engine_.queries, queries);
    Pass(1ms);
    EXPECT_EQ(engine_.queries, queries + 1);
    engine_.progress = 0.9999f;  // one byte left: a millisecond, and the engine's moment to finish
    Pass();
    clock_.Advance(10ms);
    ASSERT_TRUE(clock_.WaitForSleepers(1));
    EXPECT_EQ(engine_.queries, queries + 2);
    Pass(1ms);
    EXPECT_EQ(engine_.queries, queries + 3);
}

TEST_F(DownloadManagerTest, AFolderThatCannotBeMadeAddsNothing) {
    manager_->AddTask(kUrl, "Q:\\Quenbrook\\Data\\");  // no such drive
    EXPECT_FALSE(Ask(kUrl).found);
    EXPECT_TRUE(manager_->Records().empty());
}

// Tick by tick: the engine reports an error at every query.
TEST_F(DownloadManagerTest, RetryCountsOfAnEngineThatKeepsFailing) {
    Start();
    engine_.status = 1;
    struct Tick { int32_t state; int32_t retries; size_t tasks; int deleted; int startsOfLast; };
    const Tick ticks[] = {
        {3, 1, 1, 0, 2},   // events 1..4 restart the same engine task
        {3, 2, 1, 0, 3},
        {3, 3, 1, 0, 4},
        {3, 4, 1, 0, 5},
        {0, 5, 1, 1, 5},   // the fifth deletes it...
        {3, 5, 2, 1, 1},   // ...and the next pass makes a new one
        {0, 6, 2, 2, 1},
        {3, 6, 3, 2, 1},
        {0, 7, 3, 3, 1},
        {3, 7, 4, 3, 1},
        {0, 8, 4, 4, 1},
        {3, 8, 5, 4, 1},
        {0, 9, 5, 5, 1},
        {3, 9, 6, 5, 1},
        {0, 10, 6, 6, 1},  // the tenth deletes it too
        {3, 10, 7, 6, 1},  // a new one...
        {1, 11, 7, 6, 1},  // ...failed at its first query
        {1, 11, 7, 6, 1},  // and left alone from then on
    };
    for (size_t i = 0; i < std::size(ticks); ++i) {
        Pass();
        DownloadTask r = manager_->Records().front();
        EXPECT_EQ(r.state, ticks[i].state) << "tick " << i;
        EXPECT_EQ(r.retries, ticks[i].retries) << "tick " << i;
        EXPECT_EQ(engine_.tasks.size(), ticks[i].tasks) << "tick " << i;
        EXPECT_EQ(engine_.Deleted(), ticks[i].deleted) << "tick " << i;
        EXPECT_EQ(engine_.tasks.back().starts, ticks[i].startsOfLast) << "tick " << i;
    }
    Query q = Ask(kUrl);
    EXPECT_TRUE(q.found);
    EXPECT_EQ(q.state, kDownloadFailed);
    EXPECT_EQ(q.retries, 10);
    EXPECT_FALSE(Ask(kUrl).found) << "a failure is reported once";
    EXPECT_FALSE(Ask(kUrl).found);
}

TEST_F(DownloadManagerTest, TheNewTaskOfTheTenthEventFailsWhateverTheEngineReports) {
    Start();
    engine_.status = 2;  // pauses count like errors
    for (int i = 0; i < 16; ++i) Pass();
    ASSERT_EQ(manager_->Records().front().state, kDownloadRunning);
    ASSERT_EQ(manager_->Records().front().retries, 10);
    engine_.status = 3;
    engine_.speed = 5000;
    Pass();
    EXPECT_EQ(manager_->Records().front().state, kDownloadFailed);
}

TEST_F(DownloadManagerTest, AFailedStartAtARestartMakesANewTask) {
    Start();
    engine_.status = 1;
    engine_.startSucceeds = false;
    Pass();
    EXPECT_EQ(manager_->Records().front().state, kDownloadNew);
    EXPECT_EQ(engine_.Deleted(), 1);
}

TEST_F(DownloadManagerTest, AddingAFailedDownloadAgainRestartsTheSameRecord) {
    Start();
    engine_.status = 1;
    for (int i = 0; i < 20; ++i) Pass();
    ASSERT_EQ(Ask(kUrl).state, kDownloadFailed);
    engine_.status = 3;
    size_t before = engine_.tasks.size();
    Woken([&] { manager_->AddTask(kUrl, kWorkspace); });  // at once, as a new download
    ASSERT_EQ(manager_->Records().size(), 1u) << "one record, one engine task per save path";
    Query q = Ask(kUrl);
    EXPECT_TRUE(q.found);
    EXPECT_EQ(q.retries, 0);
    EXPECT_EQ(engine_.tasks.size(), before + 1);
    EXPECT_TRUE(engine_.tasks[before - 1].deleted) << "the old engine task went first";
    EXPECT_EQ(Ask(kUrl).state, kDownloadRunning);
}

TEST_F(DownloadManagerTest, StallMeansNoSpeedForMoreThanThirtySecondsWhileDownloading) {
    Start();
    engine_.speed = 0;
    Pass(30s);
    EXPECT_TRUE(engine_.stops.empty()) << "exactly 30 s is no stall";
    Pass(1s);
    ASSERT_EQ(engine_.stops.size(), 1u);
    EXPECT_EQ(manager_->Records().front().lastProgress, Now());
    // The engine then says paused; the retry rule restarts the same task.
    engine_.status = 2;
    Pass();
    EXPECT_EQ(manager_->Records().front().state, kDownloadRunning);
    EXPECT_EQ(engine_.tasks[0].starts, 2);
    // A paused engine is not stopped for stalling.
    engine_.status = 2;
    Pass(100s);
    EXPECT_EQ(engine_.stops.size(), 1u);
}

TEST_F(DownloadManagerTest, FiguresComeFromTheEngine) {
    Start();
    struct Case { float progress; int32_t percent; };
    for (const Case& c : {Case{0.5f, 50}, Case{0.999f, 99}, Case{0.0f, 0}}) {
        engine_.progress = c.progress;
        Pass();
        Query q = Ask(kUrl);
        EXPECT_EQ(q.percent, c.percent) << c.progress;
        EXPECT_EQ(q.total, 1000u);
        EXPECT_EQ(q.speed, 100);
    }
}

TEST_F(DownloadManagerTest, CompletionRenamesWhenTheEngineSavedUnderAnotherNameAndWritesTheRecords) {
    Start("http://img.example/pe/TessalyPE.wim");
    Start(kUrl);
    ASSERT_FALSE(files_.access(std::string(kWorkspace) + kDownloadRecordsName, FileSystem::kExists))
        << "no complete record: no file";
    // Where the rename (a fake here) puts them.
    Downloaded("TessalyPE.wim", "image");
    Downloaded("win7.gho", "image");
    engine_.total = 5;
    engine_.status = 4;
    engine_.progress = 1;
    engine_.engineFileName = "win7(1).gho";
    Pass();
    ASSERT_EQ(renames_.size(), 2u);
    EXPECT_EQ(renames_[0].first, "E:\\Quenbrook\\Data\\win7(1).gho");
    EXPECT_EQ(renames_[0].second, "E:\\Quenbrook\\Data\\win7.gho");
    renames_.clear();
    engine_.engineFileName.clear();
    engine_.status = 3;
    Start("http://img.example/pe/boot.wim");
    Downloaded("boot.wim", "image");
    engine_.status = 4;
    Pass();
    EXPECT_TRUE(renames_.empty()) << "the same name: nothing to rename";
    auto written = files_.readFile(std::string(kWorkspace) + kDownloadRecordsName);
    ASSERT_TRUE(written);
    auto entries = ParseDownloadRecords(*written);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].url, "http://img.example/pe/boot.wim") << "front first";
    EXPECT_EQ(entries[0].file, "E:\\Quenbrook\\Data\\boot.wim");
    files_.writeFile("E:\\Quenbrook\\Data\\win7.gho", "image");
    EXPECT_EQ(Ask(kUrl).state, kDownloadComplete);
    files_.deleteFile("E:\\Quenbrook\\Data\\win7.gho");
    EXPECT_EQ(Ask(kUrl).state, kDownloadNew) << "its file is gone: it is fetched again";
}

// The engine calls the file complete; the manager sees whether it is the
// file its address names before the record says so.
TEST_F(DownloadManagerTest, ACompletedFileIsCheckedAgainstItsAddress) {
    const std::string image = "the image's bytes";
    struct Case {
        const char* name;
        std::string fragment;
        std::string bytes;  // what the engine left
        bool complete;
    };
    const Case cases[] = {
        {"plain.gho", "", image, true},
        {"hash.gho", "#sha256=" + Sha256Hex(image), image, true},
        {"both.gho", "#sha256=" + Sha256Hex(image) + "&size=" + std::to_string(image.size()), image, true},
        {"other.gho", "#sha256=" + Sha256Hex("another image"), image, false},
        {"flipped.gho", "#sha256=" + Sha256Hex(image), "the image's bytez", false},
        {"short.gho", "", image.substr(1), false},  // fewer bytes than the server announced
        {"named.gho", "#size=" + std::to_string(image.size() + 1), image, false},
    };
    engine_.total = image.size();
    for (const Case& c : cases) {
        const std::string url = std::string("http://img.example/") + c.name + c.fragment;
        engine_.status = 3;
        Start(url);
        Downloaded(c.name, c.bytes);
        engine_.status = 4;
        Pass();
        Query q = Ask(url);
        EXPECT_EQ(q.state, c.complete ? kDownloadComplete : kDownloadFailed) << c.name;
        EXPECT_EQ(Exists(c.name), c.complete) << c.name;
        EXPECT_FALSE(Exists(std::string(c.name) + engine::kPartSuffix) && !c.complete) << c.name;
        EXPECT_FALSE(Exists(std::string(c.name) + engine::kControlSuffix) && !c.complete) << c.name;
        if (!c.complete) {
            EXPECT_EQ(q.retries, 10) << c.name;
            EXPECT_FALSE(Ask(url).found) << c.name << ": reported once, as every failure";
            EXPECT_TRUE(engine_.tasks.back().deleted) << c.name;
        }
    }
    auto records = ParseDownloadRecords(*files_.readFile(std::string(kWorkspace) + kDownloadRecordsName));
    ASSERT_EQ(records.size(), 3u) << "only the sound ones";
    EXPECT_EQ(records[0].file, std::string(kWorkspace) + "both.gho");
    EXPECT_EQ(records[0].sha256, Sha256Hex(image));
    EXPECT_EQ(records[0].size, image.size());
    EXPECT_EQ(records[2].sha256, "") << "no hash named, none kept";
    EXPECT_EQ(records[2].size, image.size());
}

TEST_F(DownloadManagerTest, AServerFileOfAnotherSizeThanTheAddressNamesIsNotFetchedOn) {
    (void)files_.makeDirectory("E:\\Quenbrook");
    (void)files_.makeDirectory("E:\\Quenbrook\\Data");
    const std::string url = "http://img.example/sys/win7.gho#size=500";
    Start(url);
    files_.writeFile(std::string(kWorkspace) + "win7.gho" + engine::kPartSuffix, "part");
    Pass();  // the engine says 1000 bytes
    Query q = Ask(url);
    EXPECT_EQ(q.state, kDownloadFailed);
    EXPECT_TRUE(engine_.tasks[0].deleted);
    EXPECT_FALSE(Exists(std::string("win7.gho") + engine::kPartSuffix));
}

TEST_F(DownloadManagerTest, AnAddressWhoseChecksAreNoneIsRefused) {
    Downloaded("win7.gho", "a file that was there");
    for (const std::string url : {"http://img.example/win7.gho#sha256=abc", "ftp://img.example/win7.gho"}) {
        Start(url);
        EXPECT_EQ(Ask(url).state, kDownloadFailed) << url;
    }
    EXPECT_TRUE(engine_.tasks.empty());
    EXPECT_EQ(files_.readFile(std::string(kWorkspace) + "win7.gho"), "a file that was there");
}

// A window may ask for a download before the start-up job has read
// Download.json: nothing on disk is touched, and nothing is fetched, until
// the records have said what is complete.
TEST_F(DownloadManagerTest, NothingIsDeletedOrFetchedBeforeTheRecordsAreRead) {
    manager_.reset();
    manager_ = std::make_unique<CDownloadManager>(Ports());
    Downloaded("win7.gho", "image");
    files_.writeFile(std::string(kWorkspace) + kDownloadRecordsName,
                     RenderDownloadRecords({{kUrl, std::string(kWorkspace) + "win7.gho", "", 5}}));
    manager_->AddTask("http://img.example/other.gho", kWorkspace);
    Woken([&] { manager_->AddTask(kUrl, kWorkspace); });
    Pass();
    EXPECT_TRUE(engine_.tasks.empty()) << "no download before the records are read";
    EXPECT_EQ(files_.readFile(std::string(kWorkspace) + "win7.gho"), "image");
    Woken([&] { manager_->Initialise(kWorkspace); });
    EXPECT_EQ(Ask(kUrl).state, kDownloadComplete) << "the record asked for early is the complete one";
    ASSERT_EQ(engine_.tasks.size(), 1u) << "the other one starts now";
    EXPECT_EQ(engine_.tasks[0].fileName, "other.gho");
    EXPECT_EQ(files_.readFile(std::string(kWorkspace) + "win7.gho"), "image");
}

class RestoredRecords : public DownloadManagerTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(files_.makeDirectory("E:\\Quenbrook") && files_.makeDirectory("E:\\Quenbrook\\Data"));
        files_.writeFile("E:\\Quenbrook\\Data\\win10.gho", "image");
        files_.writeFile("E:\\Quenbrook\\Data\\win7.gho", "image, grown");
        files_.writeFile("E:\\Quenbrook\\Data\\" + std::string(kDownloadRecordsName),
                         RenderDownloadRecords({{"http://img.example/win10.gho", "D:\\Quenbrook\\Data\\win10.gho",
                                                 Sha256Hex("image"), 5},
                                                {"http://img.example/gone.gho", "D:\\Quenbrook\\Data\\gone.gho"},
                                                {"http://img.example/win7.gho", "D:\\Quenbrook\\Data\\win7.gho", "", 5}}));
        manager_->Initialise(kWorkspace);
    }
    const std::string kRestored = "http://img.example/win10.gho";
};

// Download.json is outside input: an entry that names a file anywhere but
// directly in the workspace folder, a link, or a name no download gets, is
// skipped, even when the file is there.
TEST_F(DownloadManagerTest, RecordsOfFilesOutsideTheWorkspaceAreSkipped) {
    Downloaded("linked.gho", "");
    files_.writeFile("E:\\Windows\\config.sys", "a system file");
    files_.writeFile("E:\\Quenbrook\\Data\\sub\\deeper.gho", "image");
    files_.writeFile("E:\\Quenbrook\\Data\\SETTING.JSON", "{}");
    files_.deleteFile("E:\\Quenbrook\\Data\\linked.gho");
    ASSERT_EQ(::symlink((root_ + "/E/Windows/config.sys").c_str(), (root_ + "/E/Quenbrook/Data/linked.gho").c_str()), 0);
    const char* outside[][2] = {
        {"http://a/config.sys", "E:\\Windows\\config.sys"},
        {"http://a/up.sys", "E:\\Quenbrook\\Data\\..\\..\\Windows\\config.sys"},
        {"http://a/deeper.gho", "E:\\Quenbrook\\Data\\sub\\deeper.gho"},
        {"http://a/SETTING.JSON", "E:\\Quenbrook\\Data\\SETTING.JSON"},
        {"http://a/linked.gho", "E:\\Quenbrook\\Data\\linked.gho"},
    };
    std::vector<CompletedDownload> entries;
    for (const auto& e : outside) entries.push_back({e[0], e[1]});
    files_.writeFile(std::string(kWorkspace) + kDownloadRecordsName, RenderDownloadRecords(entries));
    manager_->Initialise(kWorkspace);
    for (const auto& e : outside) EXPECT_FALSE(Ask(e[0]).found) << e[1];
}

// A workspace adopted from an earlier run that others could change: its
// records and the engine's resume files are removed, never read.
TEST_F(RestoredRecords, AnUntrustedWorkspaceRestoresNothingAndLosesItsRecords) {
    manager_.reset();
    manager_ = std::make_unique<CDownloadManager>(Ports());
    files_.writeFile("E:\\Quenbrook\\Data\\other.gho.qnbdl", "part");
    files_.writeFile("E:\\Quenbrook\\Data\\other.gho.qnbdl.ctl", "control");
    manager_->Initialise(kWorkspace, false);
    EXPECT_FALSE(Ask(kRestored).found);
    EXPECT_FALSE(Exists(kDownloadRecordsName));
    EXPECT_FALSE(Exists("other.gho.qnbdl"));
    EXPECT_FALSE(Exists("other.gho.qnbdl.ctl"));
    EXPECT_TRUE(Exists("win10.gho")) << "other files stay";
    Start("http://img.example/new.gho");
    EXPECT_EQ(engine_.tasks.size(), 1u) << "downloads go on as usual";
}

TEST_F(RestoredRecords, ACompleteFileIsFoundOnTheWorkspaceDriveAndNotFetchedAgain) {
    Query q = Ask(kRestored);
    ASSERT_TRUE(q.found);
    EXPECT_EQ(q.state, kDownloadComplete);
    EXPECT_EQ(q.percent, 100);
    EXPECT_EQ(q.savePath, "E:\\Quenbrook\\Data\\win10.gho");
    EXPECT_FALSE(Ask("http://img.example/gone.gho").found) << "its file is gone";
    EXPECT_FALSE(Ask("http://img.example/win7.gho").found) << "its file has another size than it completed with";
    manager_->AddTask(kRestored, kWorkspace);
    EXPECT_EQ(files_.readFile("E:\\Quenbrook\\Data\\win10.gho"), "image") << "a complete download is kept";
    Start("http://img.example/other.gho");  // the worker runs its passes
    Pass();
    ASSERT_EQ(engine_.tasks.size(), 1u);
    EXPECT_EQ(engine_.tasks[0].url, "http://img.example/other.gho") << "the complete one is not fetched";
}

// What the installer asks before it copies the package or hands over the image.
TEST_F(RestoredRecords, AFileChangedSinceItCompletedIsNotHandedOver) {
    Result<std::string> file = manager_->VerifiedFile(kRestored);
    ASSERT_TRUE(file) << file.failure().Describe();
    EXPECT_EQ(*file, "E:\\Quenbrook\\Data\\win10.gho");
    files_.writeFile("E:\\Quenbrook\\Data\\win10.gho", "imagf");  // same size, other bytes
    Result<std::string> changed = manager_->VerifiedFile(kRestored);
    ASSERT_FALSE(changed);
    EXPECT_EQ(changed.failure().code, 23u);
    EXPECT_EQ(Ask(kRestored).state, kDownloadNew) << "fetched again";
    EXPECT_FALSE(manager_->VerifiedFile(kRestored)) << "not complete now";
    EXPECT_FALSE(manager_->VerifiedFile("http://img.example/unknown.gho"));
}

TEST_F(RestoredRecords, AFileDeletedLaterIsDownloadedAgain) {
    files_.deleteFile("E:\\Quenbrook\\Data\\win10.gho");
    Query q = Ask(kRestored);
    EXPECT_EQ(q.state, kDownloadNew);
    EXPECT_EQ(q.percent, 0);
    ASSERT_TRUE(clock_.WaitForSleepers(1)) << "the query started the worker, whose first pass starts the download";
    ASSERT_EQ(engine_.tasks.size(), 1u);
    EXPECT_EQ(engine_.tasks[0].url, kRestored);
}

TEST_F(DownloadManagerTest, WithoutAnEngineRecordsStayNew) {
    engineAvailable_ = false;
    manager_->AddTask(kUrl, kWorkspace);
    manager_->Stop();  // waits for the worker, which found no engine
    EXPECT_EQ(Ask(kUrl).state, kDownloadNew);
    EXPECT_EQ(engine_.inits, 0);
}

TEST(DownloadManagerUnconfigured, AddsNothingAndDoesNotFault) {
    CDownloadManager manager;
    manager.AddTask("http://img.example/a.gho", "E:\\Data\\");
    manager.Initialise("E:\\Data\\");
    EXPECT_FALSE(manager.QueryTask("http://img.example/a.gho", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr));
    EXPECT_EQ(manager.GetSavePath("http://img.example/a.gho"), "");
}

TEST_F(DownloadManagerTest, TheWorkerPassesOnceASecondAndEndsTheEngineOnStop) {
    Start();
    EXPECT_EQ(engine_.queries, 0);
    clock_.Advance(kDownloadPassAfterStart - 1ms);
    ASSERT_TRUE(clock_.WaitForSleepers(1));
    EXPECT_EQ(engine_.queries, 0);
    Pass(1ms);
    EXPECT_EQ(engine_.queries, 1) << "a download just started is looked at again soon";
    const int afterStart = engine_.queries;
    clock_.Advance(999ms);
    ASSERT_TRUE(clock_.WaitForSleepers(1));
    EXPECT_EQ(engine_.queries, afterStart) << "no pass before the second is up";
    Pass(1ms);
    Pass();
    EXPECT_EQ(engine_.queries, afterStart + 2);
    manager_->Stop();
    EXPECT_EQ(engine_.inits, 1);
    EXPECT_EQ(engine_.uninits, 1);
    manager_->AddTask("http://img.example/late.gho", kWorkspace);
    EXPECT_EQ(engine_.inits, 1) << "no worker starts after the stop";
}

}  // namespace
}  // namespace qnb
