#include "download/engine_deploy.h"

#include "platform/folder_tree.h"
#include "platform/paths.h"
#include "platform/posix/host_file_system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <thread>

namespace qnb {
namespace {

TEST(EngineDeployment, LayoutBelowTheFolder) {
    auto layout = EngineDeploymentLayout("C:\\Users\\a\\AppData\\Local\\Temp\\QNB01\\");
    ASSERT_EQ(layout.size(), 14u);
    EXPECT_EQ(layout[0].entry, "xldl.dll");
    EXPECT_EQ(layout[0].target, "C:\\Users\\a\\AppData\\Local\\Temp\\QNB01\\xldl.dll");
    EXPECT_EQ(layout[1].entry, "download/atl71.dll");
    EXPECT_EQ(layout[1].target, "C:\\Users\\a\\AppData\\Local\\Temp\\QNB01\\download\\atl71.dll");
    EXPECT_EQ(layout[13].entry, "download/zlib1.dll");
}

// What earlier runs left in the temporary folder goes; what only looks like
// it, links among it, and what others hold stay.
TEST(EngineDeployment, EarlierDeploymentsAreRemovedAndNothingElse) {
    char pattern[] = "/tmp/qnb-deploy-XXXXXX";
    const std::string root = ::mkdtemp(pattern);
    ::mkdir((root + "/T").c_str(), 0755);  // the drive
    HostFileSystem files(root);
    const std::string temp = "T:\\Temp\\";
    auto write = [&](const std::string& path) {
        ASSERT_TRUE(CreateFolderTree(files, std::string(paths::Folder(path))).ok());
        ASSERT_TRUE(files.writeFile(path, "x"));
    };
    write(temp + "QNB0123456789ABCDEF\\xldl.dll");
    write(temp + "QNB0123456789ABCDEF\\download\\MiniTPFw.exe");
    write(temp + "QNBFEDCBA9876543210\\xldl.dll");
    write(temp + "QNB-not-ours\\keep.txt");
    write(temp + "qnb0123456789abcdef\\keep.txt");  // not the name the deployment gives
    write(temp + "Outside\\precious.doc");
    write(temp + "QNB00000000000000AA\\xldl.dll");
    const std::string host = files.HostPath(temp);
    // A deployment folder holding a link to a folder elsewhere.
    ASSERT_EQ(::symlink((host + "/Outside").c_str(), (host + "/QNB00000000000000AA/download").c_str()), 0);
    // A link that only has the deployment's name.
    ASSERT_EQ(::symlink((host + "/Outside").c_str(), (host + "/QNB1111111111111111").c_str()), 0);

    EXPECT_EQ(RemoveEarlierDeployments(files, temp), 2);
    EXPECT_FALSE(files.access(temp + "QNB0123456789ABCDEF", FileSystem::kExists));
    EXPECT_FALSE(files.access(temp + "QNBFEDCBA9876543210", FileSystem::kExists));
    EXPECT_TRUE(files.access(temp + "QNB-not-ours\\keep.txt", FileSystem::kExists));
    EXPECT_TRUE(files.access(temp + "qnb0123456789abcdef\\keep.txt", FileSystem::kExists));
    EXPECT_TRUE(files.access(temp + "Outside\\precious.doc", FileSystem::kExists)) << "never reached through a link";
    EXPECT_TRUE(files.access(temp + "QNB1111111111111111", FileSystem::kExists));
    EXPECT_TRUE(files.access(temp + "QNB00000000000000AA\\download", FileSystem::kExists)) << "the link stays";
    std::system(("rm -rf '" + root + "'").c_str());
}

struct Deployment {
    std::set<std::string> carried;  // entries the payload has
    std::optional<std::string> folder = std::string("C:\\Users\\ADMINI~1\\AppData\\Local\\Temp\\QNB01\\");
    std::vector<std::string> events;
    std::string library;
    EngineLocation location;

    void Deploy() {
        DeployPorts ports;
        ports.makeFolder = [&] { return folder; };
        ports.extract = [&](const std::string& entry, const std::string& target) -> uint64_t {
            if (!carried.count(entry)) return 0;
            events.push_back("extract " + target);
            return 10;
        };
        ports.longPath = [](const std::string& path) {
            std::string p = path;
            p.replace(p.find("ADMINI~1"), 8, "Administrator");
            return p;
        };
        ports.runAndWait = [&](const std::string& program, const std::string& current) {
            events.push_back("run " + program + " in " + current);
            return true;
        };
        ports.initialiseDownloads = [&] {
            auto published = location.Get();
            events.push_back("records, engine at " + published.value_or("?"));
        };
        library = DeployDownloadEngine(ports, location);
    }
};

TEST(EngineDeployment, OnlyTheLibraryOfThePayloadIsDeployedAndNoCompanionRuns) {
    Deployment run;
    run.carried = {"xldl.dll"};
    run.Deploy();
    const std::string folder = "C:\\Users\\ADMINI~1\\AppData\\Local\\Temp\\QNB01\\";
    EXPECT_EQ(run.library, folder + "xldl.dll");
    EXPECT_EQ(run.events, (std::vector<std::string>{"extract " + folder + "xldl.dll",
                                                   "records, engine at " + folder + "xldl.dll"}));
}

TEST(EngineDeployment, TheCompanionProgramRunsFromTheLongFormOfTheEngineFolder) {
    Deployment run;
    run.carried = {"xldl.dll", "download/id.dat", "download/MiniTPFw.exe"};
    run.Deploy();
    ASSERT_EQ(run.events.size(), 5u);
    EXPECT_EQ(run.events[1], "extract C:\\Users\\ADMINI~1\\AppData\\Local\\Temp\\QNB01\\download\\id.dat");
    EXPECT_EQ(run.events[4],
              "run C:\\Users\\Administrator\\AppData\\Local\\Temp\\QNB01\\download\\MiniTPFw.exe in "
              "C:\\Users\\Administrator\\AppData\\Local\\Temp\\QNB01\\download\\");
}

TEST(EngineDeployment, NoFolderOrNoLibraryPublishesNoEngineAndStillReadsTheRecords) {
    for (bool folder : {false, true}) {
        Deployment run;
        run.carried = {"download/MiniTPFw.exe"};
        if (!folder) run.folder.reset();
        run.Deploy();
        EXPECT_EQ(run.library, "");
        EXPECT_EQ(run.location.Get(), std::string());
        EXPECT_EQ(run.events.back(), "records, engine at ");
    }
}

TEST(EngineLocation, AWaitingWorkerGetsThePathOnceItIsPublishedOrGivesUpOnStop) {
    EngineLocation location;
    StopSource stop;
    std::optional<std::string> got;
    std::thread waiter([&] { got = location.Wait(stop.Token()); });
    location.Publish("C:\\T\\xldl.dll");
    waiter.join();
    EXPECT_EQ(got, "C:\\T\\xldl.dll");

    EngineLocation never;
    std::thread giveUp([&] { got = never.Wait(stop.Token()); });
    stop.RequestStop();
    giveUp.join();
    EXPECT_FALSE(got);
}

}  // namespace
}  // namespace qnb
