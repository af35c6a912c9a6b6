#include "engine/engine.h"

#include "engine/test_support/fake_server.h"
#include "engine/test_support/task_fixture.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace qnb::engine {
namespace {

using test::FakeServer;
using test::RandomBody;
using test::TaskFolder;
using test::WaitFor;

void Put(char16_t* field, size_t units, const std::string& utf8) {
    std::u16string w = text::Utf8ToUtf16(utf8);
    std::copy_n(w.begin(), std::min(w.size(), units - 1), field);
}

std::unique_ptr<EngineTaskParams> Params(const std::string& url, const std::string& folder, const std::string& name) {
    auto p = std::make_unique<EngineTaskParams>();
    std::memset(p.get(), 0, sizeof *p);
    Put(p->url, kUrlUnits, url);
    Put(p->folder, kPathUnits, folder);
    Put(p->fileName, kPathUnits, name);
    p->resume = 1;
    return p;
}

class EngineTest : public ::testing::Test {
protected:
    EngineOptions Options() {
        EngineOptions o;
        o.minPiece = 64 << 10;
        o.tick = std::chrono::milliseconds(5);
        o.saveInterval = std::chrono::milliseconds(20);
        return o;
    }
    const std::string body_ = RandomBody(1 << 20);
    FakeServer server_{body_};
    TaskFolder folder_;
    Engine engine_{server_, folder_.store(), folder_.files(), Options()};
};

TEST_F(EngineTest, HandlesItDidNotGiveOutAreRefused) {
    auto params = Params("http://files.example/中文.gho", TaskFolder::kFolder, "中文.gho");
    EngineTaskInfo info;
    for (EngineHandle bogus : {static_cast<void*>(nullptr), static_cast<void*>(params.get()),
                               reinterpret_cast<void*>(uintptr_t{0x11})}) {
        EXPECT_FALSE(engine_.Start(bogus));
        EXPECT_FALSE(engine_.Stop(bogus));
        EXPECT_FALSE(engine_.Delete(bogus));
        EXPECT_FALSE(engine_.Query(bogus, &info));
        EXPECT_EQ(info.status, kStatusNoTask);
    }
    EngineHandle task = engine_.Create(*params);
    ASSERT_NE(task, nullptr);
    EXPECT_TRUE(engine_.Delete(task));
    EXPECT_FALSE(engine_.Query(task, &info)) << "a deleted task's handle is dead";
    EXPECT_FALSE(engine_.Delete(task));
}

TEST_F(EngineTest, RecordsWithoutAddressOrNameOrForAFileInUseAreRefused) {
    EXPECT_EQ(engine_.Create(*Params("", TaskFolder::kFolder, "a.gho")), nullptr);
    EXPECT_EQ(engine_.Create(*Params("http://x.example/a.gho", TaskFolder::kFolder, "")), nullptr);
    EXPECT_EQ(engine_.Create(*Params("http://x.example/a.gho", TaskFolder::kFolder, "..\\a.gho")), nullptr);
    EngineHandle first = engine_.Create(*Params("http://x.example/a.gho", TaskFolder::kFolder, "a.gho"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(engine_.Create(*Params("http://y.example/A.GHO", "t:\\data", "a.gho")), nullptr);
    EXPECT_TRUE(engine_.Delete(first));
    EXPECT_NE(engine_.Create(*Params("http://y.example/A.GHO", TaskFolder::kFolder, "a.gho")), nullptr);
}

TEST_F(EngineTest, QueryReportsTheTaskAsTheProgramReadsIt) {
    // The fragment holds the caller's checks: it is never asked for.
    EngineHandle task = engine_.Create(*Params("http://files.example/win7.gho#sha256=00", "T:\\Data", "win7.gho"));
    ASSERT_NE(task, nullptr);
    EngineTaskInfo info;
    ASSERT_TRUE(engine_.Query(task, &info));
    EXPECT_EQ(info.status, kStatusCreated);
    ASSERT_TRUE(engine_.Start(task));
    ASSERT_TRUE(WaitFor([&] { return engine_.Query(task, &info) && info.status == kStatusComplete; }));
    EXPECT_EQ(std::u16string(info.fileName), u"win7.gho");
    EXPECT_EQ(info.totalBytes, body_.size());
    EXPECT_EQ(info.doneBytes, body_.size());
    EXPECT_EQ(info.progress, 1.0f);
    EXPECT_TRUE(folder_.Read("T:\\Data\\win7.gho") == body_) << "the folder gets its separator";
    for (const HttpRequest& r : server_.Requests()) EXPECT_EQ(r.url, "http://files.example/win7.gho");
}

TEST_F(EngineTest, DeletingARunningTaskEndsItsThreadsAndKeepsItsProgress) {
    server_.chunk = 512;
    server_.failServedAfter = int64_t(body_.size() / 2);
    auto params = Params("http://files.example/win7.gho", TaskFolder::kFolder, "win7.gho");
    EngineHandle task = engine_.Create(*params);
    engine_.Start(task);
    EngineTaskInfo info;
    ASSERT_TRUE(WaitFor([&] { return engine_.Query(task, &info) && info.status == kStatusError; }));
    EXPECT_TRUE(engine_.Delete(task));
    server_.failServedAfter = -1;
    EngineHandle again = engine_.Create(*params);
    ASSERT_TRUE(engine_.Query(again, &info));
    engine_.Start(again);
    ASSERT_TRUE(WaitFor([&] { return engine_.Query(again, &info) && info.status == kStatusComplete; }));
    EXPECT_LT(server_.Served(), body_.size() + body_.size() / 4);
}

size_t ThreadCount() {
    size_t n = 0;
    for (const DirectoryEntry& e : HostFileSystem("/").list("/proc/self/task/")) n += e.name[0] != '.';
    return n;
}

TEST(EngineShutdown, EndsEveryThreadOfEveryTask) {
    const size_t before = ThreadCount();
    TaskFolder folder;
    FakeServer server(RandomBody(1 << 20));
    server.stall = true;
    auto engine = std::make_unique<Engine>(server, folder.store(), folder.files());
    for (const char* name : {"a.gho", "b.gho", "c.gho"}) {
        engine->Start(engine->Create(*Params("http://x.example/f", TaskFolder::kFolder, name)));
    }
    for (const char* name : {"a.gho", "b.gho", "c.gho"}) {
        ASSERT_TRUE(WaitFor([&] { return folder.Exists(std::string(TaskFolder::kFolder) + name + kControlSuffix); }));
    }
    std::thread unstall([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        server.Unstall();
    });
    EXPECT_GT(ThreadCount(), before + 3);
    engine.reset();  // joins; the threads' reads return once the server sends again
    unstall.join();
    EXPECT_EQ(ThreadCount(), before);
    for (const char* name : {"a.gho", "b.gho", "c.gho"}) {
        EXPECT_TRUE(folder.Exists(std::string(TaskFolder::kFolder) + name + kPartSuffix)) << "progress kept";
        EXPECT_FALSE(folder.Exists(std::string(TaskFolder::kFolder) + name)) << "not complete";
    }
}

}  // namespace
}  // namespace qnb::engine
