#include "engine/download_task.h"

#include "engine/control_file.h"
#include "engine/test_support/fake_server.h"
#include "engine/test_support/task_fixture.h"

#include <gtest/gtest.h>

#include <set>

namespace qnb::engine {
namespace {

using test::FakeServer;
using test::RandomBody;
using test::TaskFolder;
using test::WaitFor;

constexpr size_t kSize = 3 << 20;

EngineOptions SmallPieces() {
    EngineOptions o;
    o.minPiece = 64 << 10;
    o.bufferSize = 16 << 10;
    o.tick = std::chrono::milliseconds(5);
    o.saveInterval = std::chrono::milliseconds(20);
    o.speedWindow = std::chrono::milliseconds(300);
    return o;
}

class DownloadTaskTest : public ::testing::Test {
protected:
    std::unique_ptr<DownloadTask> NewTask(bool resume = true) {
        TaskSetup setup{"http://files.example/img/win10.gho", TaskFolder::kFolder, "win10.gho", resume};
        return std::make_unique<DownloadTask>(setup, server_, folder_.store(), folder_.files(), SmallPieces());
    }
    // Waits until the task has left the downloading state.
    TaskSnapshot Finish(DownloadTask& task) {
        EXPECT_TRUE(WaitFor([&] { return task.Snapshot().status != kStatusDownloading; }));
        return task.Snapshot();
    }
    const std::string kTarget = std::string(TaskFolder::kFolder) + "win10.gho";
    const std::string body_ = RandomBody(kSize);
    FakeServer server_{body_};
    TaskFolder folder_;
};

TEST_F(DownloadTaskTest, SegmentedDownloadIsByteIdenticalAndLeavesOnlyTheTarget) {
    auto task = NewTask();
    task->Start();
    TaskSnapshot s = Finish(*task);
    EXPECT_EQ(s.status, kStatusComplete);
    EXPECT_EQ(s.total, kSize);
    EXPECT_EQ(s.done, kSize);
    EXPECT_TRUE(folder_.Read(kTarget) == body_);
    EXPECT_FALSE(folder_.Exists(kTarget + kPartSuffix));
    EXPECT_FALSE(folder_.Exists(kTarget + kControlSuffix));
    int ranged = 0;
    for (const HttpRequest& r : server_.Requests()) ranged += r.ranged && r.last.has_value();
    EXPECT_GE(ranged, 3) << "the other connections ask for ranges of their own";
    // A connection whose range was cut reads at most one piece too many.
    EXPECT_LE(server_.Served(), kSize + 4 * server_.chunk);
}

// Eight connections when every one gets at least the minimum piece; fewer
// for a file that has fewer such pieces.
TEST_F(DownloadTaskTest, ConnectionsFollowTheSizeOfTheFile) {
    struct Case {
        size_t size;
        size_t requests;  // ranged requests in all
    };
    for (const Case& c : {Case{kSize, 8}, Case{256 << 10, 4}, Case{100 << 10, 2}}) {
        FakeServer server(RandomBody(c.size));
        TaskFolder folder;
        TaskSetup setup{"http://files.example/a.gho", TaskFolder::kFolder, "a.gho", true};
        EngineOptions options = SmallPieces();
        options.bufferSize = 1 << 20;  // whole pieces at a read: no connection finishes early and splits another
        DownloadTask task(setup, server, folder.store(), folder.files(), options);
        task.Start();
        ASSERT_TRUE(WaitFor([&] { return task.Snapshot().status == kStatusComplete; })) << c.size;
        std::set<uint64_t> starts;
        for (const HttpRequest& r : server.Requests()) starts.insert(r.begin);
        if (c.requests == 8) {
            EXPECT_GE(starts.size(), 8u) << c.size;
        } else {
            EXPECT_EQ(starts.size(), c.requests) << c.size;
        }
        EXPECT_TRUE(folder.Read(std::string(TaskFolder::kFolder) + "a.gho") == server.Body()) << c.size;
    }
}

TEST_F(DownloadTaskTest, AConnectionAsksForAtMostOnePieceAtATime) {
    EngineOptions options = SmallPieces();
    options.maxRequest = 256 << 10;
    TaskSetup setup{"http://files.example/img/win10.gho", TaskFolder::kFolder, "win10.gho", true};
    DownloadTask task(setup, server_, folder_.store(), folder_.files(), options);
    task.Start();
    EXPECT_EQ(Finish(task).status, kStatusComplete);
    EXPECT_TRUE(folder_.Read(kTarget) == body_);
    size_t requests = 0;
    for (const HttpRequest& r : server_.Requests()) {
        ASSERT_TRUE(r.last.has_value());
        EXPECT_LE(*r.last + 1 - r.begin, options.maxRequest);
        ++requests;
    }
    EXPECT_GE(requests, kSize / options.maxRequest);
}

TEST_F(DownloadTaskTest, WithoutRangesOneConnectionFetchesTheWholeFile) {
    server_.ranges = false;
    for (bool length : {true, false}) {
        server_.sendLength = length;
        auto task = NewTask();
        task->Start();
        TaskSnapshot s = Finish(*task);
        EXPECT_EQ(s.status, kStatusComplete) << "length " << length;
        EXPECT_EQ(s.total, kSize);
        EXPECT_TRUE(folder_.Read(kTarget) == body_);
        EXPECT_FALSE(folder_.Exists(kTarget + kControlSuffix));
    }
    EXPECT_EQ(server_.Requests().size(), 2u);
}

TEST_F(DownloadTaskTest, AnEmptyFileIsComplete) {
    server_.SetBody("");
    auto task = NewTask();
    task->Start();
    EXPECT_EQ(Finish(*task).status, kStatusComplete);
    EXPECT_EQ(folder_.Read(kTarget), "");
}

TEST_F(DownloadTaskTest, FailuresBecomeStatusOneWithTheirReason) {
    struct Case { const char* what; std::function<void(FakeServer&)> set; int32_t error; };
    const Case cases[] = {
        {"refused", [](FakeServer& s) { s.refuse = true; }, kErrorConnect},
        {"not found", [](FakeServer& s) { s.errorStatus = 404; }, kErrorHttp},
        {"server error", [](FakeServer& s) { s.errorStatus = 503; }, kErrorHttp},
        {"closes early", [](FakeServer& s) { s.cutAfter = 1000; }, kErrorTransfer},
        {"closes early, no ranges", [](FakeServer& s) { s.cutAfter = 1000; s.ranges = false; }, kErrorTransfer},
        {"breaks", [](FakeServer& s) { s.failServedAfter = 100000; }, kErrorTransfer},
    };
    for (const Case& c : cases) {
        FakeServer server(body_);
        c.set(server);
        TaskSetup setup{"http://files.example/win10.gho", TaskFolder::kFolder, "win10.gho", true};
        DownloadTask task(setup, server, folder_.store(), folder_.files(), SmallPieces());
        task.Start();
        ASSERT_TRUE(WaitFor([&] { return task.Snapshot().status != kStatusDownloading; })) << c.what;
        TaskSnapshot s = task.Snapshot();
        EXPECT_EQ(s.status, kStatusError) << c.what;
        EXPECT_EQ(s.error, c.error) << c.what;
        EXPECT_FALSE(folder_.Exists(kTarget)) << c.what << ": no file under the final name";
    }
}

// Progress is recorded once enough has come, not only every so often: what
// arrived after the last record is fetched again should the process be killed.
TEST_F(DownloadTaskTest, ProgressIsRecordedOnceEnoughHasCome) {
    EngineOptions options = SmallPieces();
    options.saveInterval = std::chrono::hours(1);
    options.saveBytes = 256 << 10;
    server_.chunk = 16 << 10;
    TaskSetup setup{"http://files.example/img/win10.gho", TaskFolder::kFolder, "win10.gho", true};
    DownloadTask task(setup, server_, folder_.store(), folder_.files(), options);
    task.Start();
    ASSERT_TRUE(WaitFor([&] { return task.Snapshot().done >= (1u << 20); }));
    server_.stall = true;
    auto recorded = [&] {
        auto control = DecodeControl(folder_.Read(kTarget + kControlSuffix));
        uint64_t left = 0;
        if (control) {
            for (const ByteRange& r : control->remaining) left += r.size();
        }
        return control && kSize - left >= (512u << 10);
    };
    EXPECT_TRUE(WaitFor(recorded)) << "the control file records what came";
    server_.Unstall();
    EXPECT_EQ(Finish(task).status, kStatusComplete);
}

TEST_F(DownloadTaskTest, AnAddressThatIsNotHttpIsRefused) {
    TaskSetup setup{"ftp://files.example/win10.gho", TaskFolder::kFolder, "win10.gho", true};
    DownloadTask task(setup, server_, folder_.store(), folder_.files(), SmallPieces());
    task.Start();
    ASSERT_TRUE(WaitFor([&] { return task.Snapshot().status == kStatusError; }));
    EXPECT_EQ(task.Snapshot().error, kErrorUrl);
    EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(DownloadTaskTest, ANewTaskGoesOnWhereABrokenOneStopped) {
    server_.failServedAfter = kSize / 2;
    {
        auto task = NewTask();
        task->Start();
        EXPECT_EQ(Finish(*task).status, kStatusError);
        EXPECT_TRUE(folder_.Exists(kTarget + kPartSuffix));
        auto control = DecodeControl(folder_.Read(kTarget + kControlSuffix));
        ASSERT_TRUE(control);
        uint64_t left = 0;
        for (const ByteRange& r : control->remaining) left += r.size();
        EXPECT_LE(left, kSize - kSize / 2 + 4 * server_.chunk);
    }
    uint64_t before = server_.Served();
    server_.failServedAfter = -1;
    auto task = NewTask();
    task->Start();
    EXPECT_EQ(Finish(*task).status, kStatusComplete);
    EXPECT_TRUE(folder_.Read(kTarget) == body_);
    EXPECT_LE(server_.Served() - before, kSize / 2 + 8 * server_.chunk) << "only what was missing is fetched again";
    EXPECT_EQ(server_.Requests()[server_.Requests().size() - 1].ifRange, server_.etag);
}

TEST_F(DownloadTaskTest, AChangedFileIsFetchedAfreshInsteadOfMixed) {
    server_.failServedAfter = kSize / 2;
    {
        auto task = NewTask();
        task->Start();
        EXPECT_EQ(Finish(*task).status, kStatusError);
    }
    const std::string newer = RandomBody(kSize, 99);
    server_.SetBody(newer);
    server_.etag = "\"v2\"";
    server_.failServedAfter = -1;
    auto task = NewTask();
    task->Start();
    EXPECT_EQ(Finish(*task).status, kStatusComplete);
    EXPECT_TRUE(folder_.Read(kTarget) == newer);
}

TEST_F(DownloadTaskTest, AControlFileOfAnotherAddressOrGarbageIsIgnored) {
    for (const std::string& bytes :
         {EncodeControl({"http://other.example/win10.gho", kSize, "\"v1\"", {{0, kSize}}}), std::string("garbage")}) {
        folder_.files().writeFile(kTarget + kControlSuffix, bytes);
        folder_.files().writeFile(kTarget + kPartSuffix, std::string(kSize, 'x'));
        auto task = NewTask();
        task->Start();
        EXPECT_EQ(Finish(*task).status, kStatusComplete);
        EXPECT_TRUE(folder_.Read(kTarget) == body_);
    }
}

TEST_F(DownloadTaskTest, StopPausesAtOnceAndStartGoesOn) {
    server_.stall = true;
    auto task = NewTask();
    task->Start();
    ASSERT_TRUE(WaitFor([&] { return !server_.Requests().empty(); }));
    task->Stop();
    EXPECT_EQ(task->Snapshot().status, kStatusPaused);
    task->Start();  // while the stopped run is still winding down
    EXPECT_EQ(task->Snapshot().status, kStatusDownloading);
    server_.Unstall();
    EXPECT_EQ(Finish(*task).status, kStatusComplete);
    EXPECT_TRUE(folder_.Read(kTarget) == body_);
}

TEST_F(DownloadTaskTest, SpeedIsZeroWhileTheServerSendsNothing) {
    auto task = NewTask();
    server_.chunk = 1024;
    task->Start();
    ASSERT_TRUE(WaitFor([&] { return task->Snapshot().speed > 0; }));
    server_.stall = true;
    EXPECT_TRUE(WaitFor([&] { return task->Snapshot().speed == 0; }, std::chrono::seconds(5)));
    EXPECT_EQ(task->Snapshot().status, kStatusDownloading);
    server_.Unstall();
    EXPECT_EQ(Finish(*task).status, kStatusComplete);
}

// A store whose disk fills up after a number of bytes.
class FullDisk : public FileStore {
public:
    FullDisk(FileStore& real, uint64_t room) : real_(real), room_(room) {}
    std::unique_ptr<PartFile> Create(const std::string& path, uint64_t size, EngineError* error) override {
        if (size > preallocateRoom) {
            *error = kErrorDiskFull;
            return nullptr;
        }
        return Wrap(real_.Create(path, size, error));
    }
    std::unique_ptr<PartFile> OpenExisting(const std::string& path, uint64_t size) override {
        return Wrap(real_.OpenExisting(path, size));
    }
    bool Replace(const std::string& from, const std::string& to) override { return real_.Replace(from, to); }
    bool Remove(const std::string& path) override { return real_.Remove(path); }
    uint64_t preallocateRoom = UINT64_MAX;

private:
    struct File : PartFile {
        std::unique_ptr<PartFile> real;
        std::atomic<uint64_t>* room;
        bool WriteAt(uint64_t offset, const void* data, size_t size, EngineError* error) override {
            if (room->load() < size) {
                *error = kErrorDiskFull;
                return false;
            }
            *room -= size;
            return real->WriteAt(offset, data, size, error);
        }
        bool Flush() override { return real->Flush(); }
    };
    std::unique_ptr<PartFile> Wrap(std::unique_ptr<PartFile> real) {
        if (!real) return nullptr;
        auto f = std::make_unique<File>();
        f->real = std::move(real);
        f->room = &room_;
        return f;
    }
    FileStore& real_;
    std::atomic<uint64_t> room_;
};

TEST_F(DownloadTaskTest, AFullDiskIsAnErrorOfItsOwn) {
    for (bool atCreation : {true, false}) {
        FullDisk disk(folder_.store(), atCreation ? UINT64_MAX : kSize / 3);
        if (atCreation) disk.preallocateRoom = kSize - 1;
        TaskSetup setup{"http://files.example/win10.gho", TaskFolder::kFolder, "win10.gho", true};
        DownloadTask task(setup, server_, disk, folder_.files(), SmallPieces());
        task.Start();
        ASSERT_TRUE(WaitFor([&] { return task.Snapshot().status != kStatusDownloading; }));
        EXPECT_EQ(task.Snapshot().status, kStatusError);
        EXPECT_EQ(task.Snapshot().error, kErrorDiskFull) << "at creation " << atCreation;
        EXPECT_FALSE(folder_.Exists(kTarget));
    }
}

}  // namespace
}  // namespace qnb::engine
