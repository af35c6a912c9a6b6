// The twins' own rules, beyond the file system contract they share with
// the Windows adapter.
#include "platform/error_codes.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shell_folders.h"
#include "platform/fake/memory_file_system.h"

#include <gtest/gtest.h>

#include <set>

namespace qnb::fake {
namespace {

std::set<std::string> Names(FileSystem& files, const std::string& folder) {
    std::set<std::string> names;
    for (const DirectoryEntry& e : files.list(folder)) names.insert(e.name);
    return names;
}

TEST(MemoryFileSystem, PathsAsWindowsReadsThem) {
    MemoryFileSystem files("C");
    files.AddFile("C:\\Data\\Report.TXT", "r");
    const char* same[] = {"c:\\data\\report.txt", "C:/Data/Report.TXT", "C:\\\\Data\\\\Report.TXT"};
    for (const char* path : same) EXPECT_EQ(files.readFile(path), "r") << path;
    EXPECT_TRUE(files.IsFolder("C:\\DATA\\"));
    EXPECT_EQ(Names(files, "c:\\data"), (std::set<std::string>{".", "..", "Report.TXT"})) << "names keep their case";
    EXPECT_EQ(Names(files, "C:\\"), (std::set<std::string>{"Data"})) << "a drive lists no dot entries";
    EXPECT_EQ(files.makeDirectory("C:\\").failure().code, errors::kAccessDenied);
    EXPECT_EQ(files.makeDirectory("E:\\x").failure().code, errors::kPathNotFound) << "no such drive";
}

TEST(MemoryFileSystem, MarkedEntriesShowTheirAttributes) {
    MemoryFileSystem files("C");
    files.AddFolders("C:\\Documents and Settings");
    files.SetAttributes("C:\\Documents and Settings",
                        kFileAttributeDirectory | kFileAttributeReparsePoint);
    for (const DirectoryEntry& e : files.list("C:\\")) {
        EXPECT_EQ(e.attributes, kFileAttributeDirectory | kFileAttributeReparsePoint);
    }
    EXPECT_EQ(files.facts("C:\\Documents and Settings")->attributes, kFileAttributeDirectory | kFileAttributeReparsePoint);

    files.AddFile("C:\\locked.txt", "keep");
    files.SetAttributes("C:\\locked.txt", kFileAttributeReadOnly);
    EXPECT_TRUE(files.access("C:\\locked.txt", FileSystem::kRead));
    EXPECT_FALSE(files.access("C:\\locked.txt", FileSystem::kWrite));
    EXPECT_FALSE(files.writeFile("C:\\locked.txt", "x"));
    EXPECT_FALSE(files.deleteFile("C:\\locked.txt"));
    EXPECT_EQ(files.appendFile("C:\\locked.txt", "x").failure().code, errors::kAccessDenied);
    EXPECT_EQ(files.Content("C:\\locked.txt"), "keep");
}

TEST(MemoryFileSystem, CopiesReportEachPieceAndTimesFollowTheClock) {
    MemoryFileSystem files("C");
    files.SetNow(130000000000000000);
    files.AddFile("C:\\s", std::string(2 * MemoryFileSystem::kCopyPiece + 5, 'x'));
    files.SetNow(140000000000000000);
    std::vector<uint64_t> done;
    CopyProgress progress = [&](uint64_t d, uint64_t) {
        done.push_back(d);
        return true;
    };
    ASSERT_TRUE(files.copyFile("C:\\s", "C:\\t", progress, false));
    const uint64_t piece = MemoryFileSystem::kCopyPiece;
    EXPECT_EQ(done, (std::vector<uint64_t>{0, piece, 2 * piece, 2 * piece + 5}));
    EXPECT_EQ(files.facts("C:\\t")->lastWriteTime, 130000000000000000u);
    EXPECT_EQ(files.facts("C:\\t")->creationTime, 140000000000000000u);
    ASSERT_TRUE(files.appendFile("C:\\s", "y"));
    EXPECT_EQ(files.facts("C:\\s")->lastWriteTime, 140000000000000000u);
}

TEST(MemoryFileSystem, AFolderMovesWithEverythingInIt) {
    MemoryFileSystem files("C");
    files.AddFile("C:\\a\\b\\c.txt", "c");
    files.AddFile("C:\\ab.txt", "not inside");
    EXPECT_EQ(files.moveFile("C:\\a", "C:\\a\\b\\x", false).failure().code, errors::kAccessDenied)
        << "not into itself";
    ASSERT_TRUE(files.moveFile("C:\\a", "C:\\z", false));
    EXPECT_EQ(files.Content("C:\\z\\b\\c.txt"), "c");
    EXPECT_EQ(files.Content("C:\\ab.txt"), "not inside");
    EXPECT_FALSE(files.IsFolder("C:\\a\\b"));
    ASSERT_TRUE(files.moveFile("C:\\z", "C:\\Z", false)) << "a change of case only";
    EXPECT_EQ(Names(files, "C:\\"), (std::set<std::string>{"Z", "ab.txt"}));
}

ProcessRequest Request(const std::string& program, const std::string& arguments = "") {
    ProcessRequest request;
    request.program = program;
    request.arguments = arguments;
    return request;
}

TEST(FakeProcess, ScriptedOutcomesGoToTheirProgramInOrder) {
    FakeProcess process;
    const std::string bcdedit = "C:\\Windows\\System32\\bcdedit.exe";
    process.Script(bcdedit, ProcessOutcome{0, "first"});
    process.Script(bcdedit, ProcessOutcome{1, "second"});
    process.Script("C:\\Windows\\System32\\shutdown.exe", Failure{"start program", "shutdown", 5});

    ProcessRequest captured = Request("c:\\windows\\system32\\BCDEDIT.EXE", "/enum");
    captured.captureOutput = true;
    Result<ProcessOutcome> first = process.Run(captured);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->exitCode, 0u);
    EXPECT_EQ(first->output, "first");
    Result<ProcessOutcome> second = process.Run(Request(bcdedit, "/set"));
    ASSERT_TRUE(second);
    EXPECT_EQ(second->exitCode, 1u);
    EXPECT_EQ(second->output, "") << "output only when captured";
    EXPECT_EQ(process.Run(Request("C:\\Windows\\System32\\shutdown.exe")).failure().code, 5u);

    Result<ProcessOutcome> unscripted = process.Run(Request(bcdedit, "/third"));
    ASSERT_FALSE(unscripted);
    EXPECT_EQ(unscripted.failure().code, errors::kFileNotFound);
    EXPECT_EQ(unscripted.failure().where, "\"" + bcdedit + "\" /third");

    std::vector<std::string> arguments;
    for (const ProcessRequest& r : process.Requests()) arguments.push_back(r.arguments);
    EXPECT_EQ(arguments, (std::vector<std::string>{"/enum", "/set", "", "/third"}));
}

TEST(FakeProcess, AnswersTheRestAndRefusesRelativePrograms) {
    FakeProcess process;
    process.Otherwise([](const ProcessRequest& r) { return ProcessOutcome{static_cast<uint32_t>(r.arguments.size()), ""}; });
    EXPECT_EQ(process.Run(Request("D:\\tool.exe", "abc"))->exitCode, 3u);
    ProcessRequest detached = Request("D:\\tool.exe", "abc");
    detached.wait = false;
    process.Script("D:\\tool.exe", ProcessOutcome{9, ""});
    EXPECT_EQ(process.Run(detached)->exitCode, 0u) << "a run not waited for has no exit code";
    EXPECT_EQ(process.Run(Request("bcdedit.exe")).failure().code, errors::kBadPathname);
}

TEST(ProcessRequests, TheCommandLineQuotesTheProgram) {
    struct Case {
        const char* program;
        const char* arguments;
        const char* line;
    };
    const Case cases[] = {
        {"C:\\Program Files\\x.exe", "", "\"C:\\Program Files\\x.exe\""},
        {"C:\\Windows\\System32\\bcdedit.exe", "/set {current} safeboot", "\"C:\\Windows\\System32\\bcdedit.exe\" /set {current} safeboot"},
    };
    for (const Case& c : cases) EXPECT_EQ(CommandLineOf(Request(c.program, c.arguments)), c.line);
    const char* full[] = {"C:\\x.exe", "c:/x.exe", "\\\\server\\share\\x.exe"};
    const char* notFull[] = {"x.exe", "C:x.exe", "\\x.exe", ".\\x.exe", ""};
    for (const char* p : full) EXPECT_TRUE(IsFullPath(p)) << p;
    for (const char* p : notFull) EXPECT_FALSE(IsFullPath(p)) << p;
}

TEST(FakeRegistry, ReadsWhatWasSetWithoutRegardToCase) {
    FakeRegistry registry;
    const std::string key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    registry.SetString(RegistryRoot::kLocalMachine, key, "ProductName", "Windows 10 Pro");
    registry.SetNumber(RegistryRoot::kLocalMachine, key, "CurrentMajorVersionNumber", 10);
    EXPECT_EQ(registry.ReadString(RegistryRoot::kLocalMachine, "software\\microsoft\\windows nt\\currentversion",
                                  "productname").value(),
              "Windows 10 Pro");
    EXPECT_EQ(registry.ReadNumber(RegistryRoot::kLocalMachine, key, "CurrentMajorVersionNumber").value(), 10u);

    struct Case {
        RegistryRoot root;
        const char* value;
        bool number;
        uint32_t code;
    };
    const Case cases[] = {
        {RegistryRoot::kCurrentUser, "ProductName", false, errors::kFileNotFound},  // another root
        {RegistryRoot::kLocalMachine, "Missing", false, errors::kFileNotFound},
        {RegistryRoot::kLocalMachine, "ProductName", true, errors::kDatatypeMismatch},
        {RegistryRoot::kLocalMachine, "CurrentMajorVersionNumber", false, errors::kDatatypeMismatch},
    };
    for (const Case& c : cases) {
        Status status = c.number ? registry.ReadNumber(c.root, key, c.value).status()
                                 : registry.ReadString(c.root, key, c.value).status();
        ASSERT_FALSE(status) << c.value;
        EXPECT_EQ(status.failure().code, c.code) << c.value;
    }
}

TEST(FakeRegistry, AKeyExistsWithItsValuesOrItsSubKeys) {
    FakeRegistry registry;
    registry.SetString(RegistryRoot::kLocalMachine, "SOFTWARE\\Tencent\\QQ2009", "Install", "C:\\QQ");
    registry.AddKey(RegistryRoot::kCurrentUser, "Software\\Empty");
    struct Case {
        RegistryRoot root;
        const char* key;
        bool exists;
    };
    const Case cases[] = {
        {RegistryRoot::kLocalMachine, "software\\tencent\\qq2009", true},
        {RegistryRoot::kLocalMachine, "SOFTWARE\\Tencent", true},
        {RegistryRoot::kLocalMachine, "SOFTWARE\\Tenc", false},
        {RegistryRoot::kLocalMachine, "SOFTWARE\\Tencent\\QQ2009\\Deeper", false},
        {RegistryRoot::kCurrentUser, "SOFTWARE\\Tencent\\QQ2009", false},
        {RegistryRoot::kCurrentUser, "Software\\Empty", true},
    };
    for (const Case& c : cases) {
        Status opened = registry.OpenKey(c.root, c.key);
        EXPECT_EQ(opened.ok(), c.exists) << c.key;
        if (!opened) EXPECT_EQ(opened.failure().code, errors::kFileNotFound) << c.key;
    }
}

TEST(FakeShellFolders, GivesTheSetPathsWithoutATrailingBackslash) {
    FakeShellFolders folders;
    folders.Set(ShellFolder::kDesktop, "C:\\Users\\me\\Desktop\\");
    folders.Set(ShellFolder::kTemporary, "T:\\");
    EXPECT_EQ(folders.Path(ShellFolder::kDesktop).value(), "C:\\Users\\me\\Desktop");
    EXPECT_EQ(folders.Path(ShellFolder::kTemporary).value(), "T:\\") << "a drive keeps its backslash";
    EXPECT_EQ(folders.Path(ShellFolder::kDocuments).failure().code, errors::kHresultFileNotFound);
}

}  // namespace
}  // namespace qnb::fake
