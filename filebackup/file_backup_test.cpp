// The backup engine on real trees of the host (drives C: and D: are folders
// of a temporary root): what is copied where, what is left out, and what is
// reported.
#include "filebackup/file_backup.h"

#include "filebackup/backup_categories.h"
#include "filebackup/test_support/backup_fixture.h"
#include "platform/error_codes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace qnb {
namespace {

using test::FilesUnder;
using test::MakeLink;

const char kRoot[] = "D:\\Quenbrook\\Data\\文件备份";

class FileBackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        backup.SetWorkspace("D:\\Quenbrook\\Data\\");
        backup.SetBackupRoot(kRoot);
        for (const BackupCategory& category : BackupCategories()) backup.AddCategory(category.extensions, category.name);
    }
    std::string Saved(const std::string& path) { return machine.ReadFile(std::string(kRoot) + "\\" + path); }

    test::MachineFixture machine{test::MachineJson("one-disk-c-d")};
    test::RecordingReporter reporter;
    test::RecordingLog log;
    CFileBackup backup{machine.files(), reporter, log};
};

TEST_F(FileBackupTest, TheSameNameFromThreeFoldersIsNumbered) {
    machine.WriteFile("C:\\a\\a.jpg", "first");
    machine.WriteFile("C:\\b\\a.jpg", "second");
    machine.WriteFile("C:\\c\\d\\a.jpg", "third");
    machine.WriteFile(std::string(kRoot) + "\\照片\\other.jpg", "earlier");
    backup.BackupByCategory("C:");
    EXPECT_EQ(FilesUnder(machine, std::string(kRoot) + "\\照片"),
              (std::set<std::string>{"a.jpg", "a(1).jpg", "a(2).jpg", "other.jpg"}));
    std::set<std::string> contents{Saved("照片\\a.jpg"), Saved("照片\\a(1).jpg"), Saved("照片\\a(2).jpg")};
    EXPECT_EQ(contents, (std::set<std::string>{"first", "second", "third"})) << "each file whole, none overwritten";
    EXPECT_EQ(reporter.Events("status "), (std::vector<std::string>{"status a.jpg", "status a.jpg", "status a.jpg"}))
        << "the walk shows the name alone";
    EXPECT_TRUE(reporter.Events("error ").empty());
}

TEST_F(FileBackupTest, ACategoryGoesByTheLastExtensionInAnyCase) {
    struct Case {
        const char* name;
        const char* category;  // "" for none
    };
    const Case cases[] = {
        {"Photo.JPG", "照片"},  {"scan.tif", "照片"},    {"song.Mp3", "音乐"},     {"notes.md", "文档"},
        {"clip.rmvb", "视频"},  {"clip.rm", "视频"},     {"archive.tar.gz", ""},   {"README", ""},
        {"name.", ""},          {"x.jpgx", ""},          {"x.pn", ""},             {"photo.jpg.exe", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(backup.FindCategory(c.name).value_or(""), c.category) << c.name;
        machine.WriteFile(std::string("C:\\files\\") + c.name, c.name);
    }
    machine.WriteFile("C:\\files\\.hidden.jpg", "hidden");
    machine.WriteFile("C:\\.dotfolder\\inside.jpg", "in a dot folder");
    backup.BackupByCategory("C:");
    EXPECT_EQ(FilesUnder(machine, kRoot), (std::set<std::string>{"照片\\Photo.JPG", "照片\\scan.tif",
                                                                 "音乐\\song.Mp3", "文档\\notes.md",
                                                                 "视频\\clip.rmvb", "视频\\clip.rm"}));
}

TEST_F(FileBackupTest, TheWalkStaysOutOfExcludedAndWholeFoldersButEntersAppData) {
    backup.AddExcludedFolder("C:\\Program Files");
    backup.AddExcludedFolder("C:\\ProgramData\\");
    backup.AddExcludedFolder("C:\\Windows");
    backup.AddWholeFolder("C:\\Users\\bob\\Desktop");
    machine.WriteFile("C:\\PROGRAM FILES\\app\\logo.png", "program");
    machine.WriteFile("C:\\ProgramData\\cache.jpg", "data");
    machine.WriteFile("C:\\Windows\\Web\\wall.jpg", "windows");
    machine.WriteFile("C:\\Program Files Extra\\kept.png", "a folder that only begins alike");
    machine.WriteFile("C:\\Users\\bob\\Desktop\\on-desktop.jpg", "desktop");
    machine.WriteFile("C:\\Users\\bob\\AppData\\Roaming\\Tencent\\face.png", "appdata");
    machine.WriteFile("C:\\Users\\bob\\AppData\\Local\\report.docx", "appdata document");
    backup.BackupByCategory("C:");
    EXPECT_EQ(FilesUnder(machine, kRoot), (std::set<std::string>{"照片\\kept.png", "照片\\face.png",
                                                                 "文档\\report.docx"}));
}

TEST_F(FileBackupTest, WholeFoldersAreCopiedTheLastAddedFirst) {
    machine.WriteFile("C:\\one\\same\\f.txt", "from one");
    machine.WriteFile("C:\\two\\same\\f.txt", "from two");
    machine.WriteFile("C:\\two\\same\\only-two.txt", "two");
    machine.WriteFile("C:\\Users\\Bob\\Desktop\\Sub Folder\\Note.TXT", "note");
    backup.AddWholeFolder("C:\\Users\\Bob\\Desktop");
    backup.AddWholeFolder("C:\\one\\same\\");
    backup.AddWholeFolder("C:\\two\\same");
    EXPECT_EQ(backup.WholeFolders(),
              (std::vector<std::string>{"c:\\two\\same", "c:\\one\\same", "c:\\users\\bob\\desktop"}));
    backup.CopyWholeFolders();
    const std::vector<std::string> events = reporter.Events();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].substr(0, 19), "status C:\\two\\same\\");
    EXPECT_EQ(events[1].substr(0, 19), "status C:\\two\\same\\");
    EXPECT_EQ(events[2], "status C:\\one\\same\\f.txt");
    EXPECT_EQ(events[3], "status C:\\Users\\Bob\\Desktop\\Sub Folder\\Note.TXT");
    EXPECT_EQ(Saved("same\\f.txt"), "from one") << "the earlier added folder is copied later and wins";
    EXPECT_EQ(Saved("same\\only-two.txt"), "two");
    EXPECT_EQ(Saved("desktop\\Sub Folder\\Note.TXT"), "note") << "named in lower case, names inside keep theirs";
}

TEST_F(FileBackupTest, AJunctionLoopInAWholeFolderIsCopiedOnce) {
    machine.WriteFile("C:\\Users\\bob\\Desktop\\sub\\f.txt", "once");
    MakeLink(machine, "C:\\Users\\bob\\Desktop\\sub\\loop", "C:\\Users\\bob\\Desktop");
    MakeLink(machine, "C:\\Users\\bob\\Desktop\\elsewhere", "C:\\Windows");
    machine.WriteFile("C:\\Windows\\system.jpg", "not the user's");
    backup.AddWholeFolder("C:\\Users\\bob\\Desktop");
    backup.CopyWholeFolders();
    backup.BackupByCategory("C:");
    EXPECT_EQ(FilesUnder(machine, kRoot), (std::set<std::string>{"desktop\\sub\\f.txt", "照片\\system.jpg"}))
        << "the walk reaches C:\\Windows itself (nothing excludes it here), never through the link";
    EXPECT_TRUE(log.Holds("link not followed: C:\\Users\\bob\\Desktop\\sub\\loop"));
    EXPECT_TRUE(reporter.Events("error ").empty());
}

TEST_F(FileBackupTest, ATreeThatHoldsTheWorkspaceIsCopiedWithoutIt) {
    machine.WriteFile("D:\\Quenbrook\\Data\\win10.gho", "the image");
    machine.WriteFile("D:\\Quenbrook\\notes.txt", "beside the workspace");
    machine.WriteFile("D:\\photos\\p.jpg", "photo");
    backup.AddWholeFolder("D:\\Quenbrook");
    backup.AddWholeFolder("D:\\");
    backup.AddWholeFolder("d:\\quenbrook\\data\\qq");
    backup.CopyWholeFolders();
    EXPECT_EQ(FilesUnder(machine, kRoot), (std::set<std::string>{"D盘\\photos\\p.jpg", "quenbrook\\notes.txt"}))
        << "the drive's copy leaves out the folder copied whole, which leaves out the workspace";
    EXPECT_TRUE(log.Holds("not copied, it lies in the workspace folder: d:\\quenbrook\\data\\qq"));
    backup.BackupByCategory("D:");
    EXPECT_EQ(FilesUnder(machine, std::string(kRoot) + "\\照片"), (std::set<std::string>{"p.jpg"}))
        << "the walk never enters the backup itself";
}

TEST_F(FileBackupTest, ADriveRootIsCopiedWithTheWalksExclusions) {
    backup.AddExcludedFolder("C:\\Windows");
    backup.AddExcludedFolder("C:\\Program Files");
    backup.AddWholeFolder("C:\\Users\\bob\\Desktop");
    backup.AddWholeFolder("C:\\");
    machine.WriteFile("C:\\Windows\\System32\\kernel32.dll", "replaced by the reinstall");
    machine.WriteFile("C:\\Program Files\\app\\app.exe", "replaced too");
    machine.WriteFile("C:\\Users\\bob\\Desktop\\d.txt", "desktop");
    machine.WriteFile("C:\\Users\\bob\\notes.txt", "notes");
    machine.WriteFile("C:\\boot.ini", "a file in the root");
    backup.CopyWholeFolders();
    EXPECT_EQ(FilesUnder(machine, kRoot),
              (std::set<std::string>{"C盘\\Users\\bob\\notes.txt", "C盘\\boot.ini", "desktop\\d.txt"}));
}

TEST_F(FileBackupTest, FailuresAreReportedInWholeFoldersButNotForAMissingFolderInTheWalk) {
    machine.WriteFile("C:\\stuff\\a.jpg", "picture");
    machine.WriteFile("C:\\stuff\\b.txt", "text");
    machine.WriteFile("C:\\pictures\\c.jpg", "found by the walk");
    // Files where the copies' folders belong: neither folder can be made.
    machine.WriteFile(std::string(kRoot) + "\\stuff", "in the way");
    std::filesystem::remove(machine.files().HostPath(std::string(kRoot) + "\\照片"));
    machine.WriteFile(std::string(kRoot) + "\\照片", "in the way too");
    backup.AddWholeFolder("C:\\stuff");
    backup.CopyWholeFolders();
    backup.BackupByCategory("C:");
    std::vector<std::string> errors = reporter.Events("error ");
    std::sort(errors.begin(), errors.end());
    EXPECT_EQ(errors, (std::vector<std::string>{"error C:\\stuff\\a.jpg 3", "error C:\\stuff\\b.txt 3"}))
        << "once each, from the whole-folder copy; the walk's code 3 is not reported";
    EXPECT_TRUE(log.Holds("copy file C:\\pictures\\c.jpg -> D:\\Quenbrook\\Data\\文件备份\\照片\\c.jpg: error 3"))
        << "but it is logged";
}

TEST_F(FileBackupTest, TheNumberingGivesUpWithAnErrorLine) {
    CFileBackup limited(machine.files(), reporter, log, {}, /*maxNumberedNames=*/3);
    limited.SetBackupRoot(kRoot);
    limited.AddCategory(".jpg|", "照片");
    for (const char* name : {"a.jpg", "a(1).jpg", "a(2).jpg", "a(3).jpg"}) {
        machine.WriteFile(std::string(kRoot) + "\\照片\\" + name, "taken");
    }
    machine.WriteFile("C:\\pictures\\a.jpg", "new");
    limited.BackupByCategory("C:");
    EXPECT_EQ(reporter.Events("error "), (std::vector<std::string>{"error C:\\pictures\\a.jpg 80"}));
    EXPECT_EQ(Saved("照片\\a(3).jpg"), "taken");
}

TEST_F(FileBackupTest, NamesAndLengthsOfAnyKind) {
    const std::string deep = "C:\\deep\\" + std::string(120, 'x') + "\\" + std::string(120, 'y') + "\\" +
                             std::string(60, 'z');
    machine.WriteFile(deep + "\\long.txt", "long");
    machine.WriteFile("C:\\deep\\한국어 ☃ файл.txt", "not in GBK");
    backup.AddWholeFolder("C:\\deep");
    backup.CopyWholeFolders();
    EXPECT_EQ(Saved(std::string("deep") + deep.substr(7) + "\\long.txt"), "long");
    EXPECT_EQ(Saved("deep\\한국어 ☃ файл.txt"), "not in GBK");
    EXPECT_TRUE(reporter.Events("error ").empty());
}

TEST_F(FileBackupTest, AStopEndsTheCopyingBetweenFiles) {
    StopSource stop;
    class StopAfterFirst : public BackupReporter {
    public:
        explicit StopAfterFirst(StopSource& s) : stop_(s) {}
        void Status(const std::string&) override {
            ++statuses;
            stop_.RequestStop();
        }
        void FileError(const std::string&, uint32_t) override { ++errors; }
        void Done() override {}
        int statuses = 0;
        int errors = 0;

    private:
        StopSource& stop_;
    } stopping(stop);
    CFileBackup stopped(machine.files(), stopping, log, stop.Token());
    stopped.SetBackupRoot(kRoot);
    for (int i = 0; i < 5; ++i) machine.WriteFile("C:\\many\\" + std::to_string(i) + ".txt", "x");
    stopped.AddWholeFolder("C:\\many");
    stopped.CopyWholeFolders();
    EXPECT_EQ(stopping.statuses, 1);
    EXPECT_EQ(stopping.errors, 0) << "the copy cancelled by the stop is no failure to report";
    EXPECT_TRUE(FilesUnder(machine, std::string(kRoot) + "\\many").empty());
}

}  // namespace
}  // namespace qnb
