// The file system contract on the host and memory twins.
#include "platform/fake/memory_file_system.h"
#include "platform/posix/host_file_system.h"
#include "platform/test_support/file_system_contract.h"

#include <stdlib.h>

#include <filesystem>

namespace qnb::test {
namespace {

// T:\work\ in a fresh folder of the host.
class HostPlace : public ContractPlace {
public:
    HostPlace() { std::filesystem::create_directories(root_ + "/T/work"); }
    ~HostPlace() override { std::filesystem::remove_all(root_); }
    FileSystem& files() override { return files_; }
    std::string folder() const override { return "T:\\work\\"; }

private:
    static std::string MakeRoot() {
        char pattern[] = "/tmp/qnb-contract-XXXXXX";
        return ::mkdtemp(pattern);
    }
    std::string root_ = MakeRoot();
    HostFileSystem files_{root_};
};

class MemoryPlace : public ContractPlace {
public:
    MemoryPlace() { files_.AddFolders("T:\\work"); }
    FileSystem& files() override { return files_; }
    std::string folder() const override { return "T:\\work\\"; }

private:
    fake::MemoryFileSystem files_{"T"};
};

INSTANTIATE_TEST_SUITE_P(
    Twins, FileSystemContract,
    ::testing::Values(ContractSubject{"Host", [] { return std::unique_ptr<ContractPlace>(new HostPlace); }},
                      ContractSubject{"Memory", [] { return std::unique_ptr<ContractPlace>(new MemoryPlace); }}),
    SubjectName);

}  // namespace
}  // namespace qnb::test
