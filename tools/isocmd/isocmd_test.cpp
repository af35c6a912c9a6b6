#include "tools/isocmd/isocmd.h"

#include <gtest/gtest.h>

#include <set>

namespace qnb::isocmd {
namespace {

TEST(IsocmdCommandLine, TheCommandsTheProgramPasses) {
    struct Case {
        const char* line;
        Command::Kind kind;
        char letter;
        std::string path;
    } cases[] = {
        {"-p", Command::kProbe, 0, ""},
        {"-i", Command::kInstall, 0, ""},
        {"-r", Command::kRemoveAll, 0, ""},
        {"-c 1 Z:", Command::kCreate, 'Z', ""},
        {"-e z:", Command::kEject, 'Z', ""},
        {"-infile -mount Z: D:\\images\\win10.iso", Command::kMount, 'Z', "D:\\images\\win10.iso"},
        {"-infile -mount Y: \"D:\\my images\\win 10.iso\"", Command::kMount, 'Y', "D:\\my images\\win 10.iso"},
        {"-infile -mount Y: D:\\my images\\win  10.iso  ", Command::kMount, 'Y', "D:\\my images\\win  10.iso"},
        {"-INFILE -MOUNT X: \"E:\\系统\\镜像.iso\"", Command::kMount, 'X', "E:\\系统\\镜像.iso"},
    };
    for (const Case& c : cases) {
        Command command = ParseArguments(c.line);
        EXPECT_EQ(command.kind, c.kind) << c.line << ": " << command.problem;
        EXPECT_EQ(command.letter, c.letter) << c.line;
        EXPECT_EQ(command.path, c.path) << c.line;
    }
    EXPECT_EQ(ParseArguments("-c 1 Z:").count, 1);
}

TEST(IsocmdCommandLine, WrongLinesAreUsageErrors) {
    for (const char* line : {"", "-x", "-p extra", "-c Z:", "-c 1 B:", "-c 1 ZZ", "-e", "-e 1:", "-infile Z: a.iso",
                             "-infile -mount Z:", "-infile -mount Z: \"D:\\a.iso", "-infile -mount Z: \"a\" b",
                             "-infile -mount \"D:\\a.iso\""}) {
        Command command = ParseArguments(line);
        EXPECT_EQ(command.kind, Command::kUsage) << line;
        EXPECT_FALSE(command.problem.empty()) << line;
    }
}

TEST(IsocmdCommandLine, TheArgumentsFollowTheProgramsName) {
    EXPECT_EQ(ArgumentsOf("\"C:\\Temp\\QNB 1\\isocmd\\isocmd.exe\" -infile -mount Z: \"D:\\a b.iso\""),
              "-infile -mount Z: \"D:\\a b.iso\"");
    EXPECT_EQ(ArgumentsOf("isocmd.exe   -p"), "-p");
    EXPECT_EQ(ArgumentsOf("isocmd.exe"), "");
}

TEST(IsocmdRecord, ReadsWhatItWroteAndSkipsTheRest) {
    Record record{{'Z', "D:\\a b.iso"}, {'Y', ""}};
    EXPECT_EQ(FormatRecord(record), "Z:\tD:\\a b.iso\r\nY:\t\r\n");
    Record read = ParseRecord(FormatRecord(record) + "junk\r\nZ:\tE:\\other.iso\r\nQ\tx\n1:\ty\n");
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].iso, "D:\\a b.iso");
    EXPECT_EQ(read[1].letter, 'Y');
}

class FakeBackend : public Backend {
public:
    std::string CannotAttach() override { return cannot; }
    bool LetterFree(char letter) override { return !used.count(letter) && !attached.count(letter); }
    Status Attach(char letter, const std::string& iso) override {
        if (failAttach) return Failure{"attach virtual disk", iso, 1392};
        attached.insert(letter);
        return Status::Ok();
    }
    Status Detach(char letter, const std::string&) override {
        if (failDetach) return Failure{"detach virtual disk", "", 5};
        attached.erase(letter);
        return Status::Ok();
    }
    std::string cannot;
    std::set<char> used{'C', 'D'};
    std::set<char> attached;
    bool failAttach = false;
    bool failDetach = false;
};

class MemoryStore : public RecordStore {
public:
    Record Load() override { return ParseRecord(text); }
    bool Save(const Record& record) override {
        if (readOnly) return false;
        text = FormatRecord(record);
        return true;
    }
    std::string text;
    bool readOnly = false;
};

struct Tool {
    FakeBackend backend;
    MemoryStore store;
    Reply Run(const char* line) { return Execute(ParseArguments(line), backend, store); }
};

TEST(Isocmd, TheProgramsMountAndUnmountSequence) {
    Tool tool;
    struct Step {
        const char* line;
        int exitCode;
        const char* says;
    } steps[] = {
        {"-p", 0, "Number of Devices=0"},
        {"-c 1 Z:", 0, "Z:"},
        {"-p", 0, "Number of Devices=1"},
        {"-infile -mount Z: D:\\win 10.iso", 0, "mounted"},
        {"-infile -mount Z: D:\\other.iso", 1, "already holds D:\\win 10.iso"},
        {"-e Z:", 0, "removed"},
        {"-e Z:", 1, "no device at Z:"},
        {"-r", 0, "removed 0 devices"},
    };
    for (const Step& step : steps) {
        Reply reply = tool.Run(step.line);
        EXPECT_EQ(reply.exitCode, step.exitCode) << step.line << ": " << reply.text;
        EXPECT_NE(reply.text.find(step.says), std::string::npos) << step.line << ": " << reply.text;
        if (std::string(step.line) == "-infile -mount Z: D:\\win 10.iso") {
            EXPECT_EQ(tool.backend.attached, std::set<char>{'Z'});
            EXPECT_EQ(tool.store.text, "Z:\tD:\\win 10.iso\r\n");
        }
    }
    EXPECT_TRUE(tool.backend.attached.empty());
}

TEST(Isocmd, RemoveAllDetachesEveryIsoItAttachedAndKeepsWhatItCouldNot) {
    Tool tool;
    tool.Run("-infile -mount Z: D:\\a.iso");
    tool.Run("-infile -mount Y: D:\\b.iso");
    tool.Run("-c 1 X:");
    Reply all = tool.Run("-r");
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_EQ(all.text, "removed 3 devices\r\n");
    EXPECT_TRUE(tool.backend.attached.empty());
    EXPECT_EQ(tool.store.text, "");

    tool.Run("-infile -mount Z: D:\\a.iso");
    tool.backend.failDetach = true;
    Reply stuck = tool.Run("-r");
    EXPECT_EQ(stuck.exitCode, 1);
    EXPECT_EQ(tool.store.text, "Z:\tD:\\a.iso\r\n") << "still ours to detach later";
}

TEST(Isocmd, AWindowsThatCannotAttachSaysSoToEveryAsk) {
    Tool tool;
    tool.backend.cannot = "this Windows cannot attach ISO files";
    for (const char* line : {"-p", "-i", "-infile -mount Z: D:\\a.iso"}) {
        Reply reply = tool.Run(line);
        EXPECT_EQ(reply.exitCode, 1) << line;
        EXPECT_EQ(reply.text.find("Number of Devices="), std::string::npos) << line;
        EXPECT_EQ(reply.text.find("successfully"), std::string::npos) << line;
    }
    tool.backend.cannot.clear();
    EXPECT_NE(tool.Run("-i").text.find("successfully"), std::string::npos);
}

TEST(Isocmd, LettersInUseAndFailedAttachesLeaveNoRecord) {
    Tool tool;
    EXPECT_EQ(tool.Run("-c 1 D:").exitCode, 1);
    EXPECT_EQ(tool.Run("-c 2 Z:").exitCode, 1);
    EXPECT_EQ(tool.Run("-infile -mount D: E:\\a.iso").exitCode, 1);
    tool.backend.failAttach = true;
    Reply failed = tool.Run("-infile -mount Z: E:\\a.iso");
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.text.find("1392"), std::string::npos) << failed.text;
    EXPECT_EQ(tool.store.text, "");
}

TEST(Isocmd, AMountThatCannotBeRecordedIsUndone) {
    Tool tool;
    tool.store.readOnly = true;
    EXPECT_EQ(tool.Run("-infile -mount Z: E:\\a.iso").exitCode, 1);
    EXPECT_TRUE(tool.backend.attached.empty());
}

TEST(Isocmd, AWrongCommandLineShowsTheUsage) {
    Tool tool;
    Reply reply = tool.Run("-mount Z: a.iso");
    EXPECT_EQ(reply.exitCode, 2);
    EXPECT_NE(reply.text.find("usage: isocmd"), std::string::npos);
}

}  // namespace
}  // namespace qnb::isocmd
