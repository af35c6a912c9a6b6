#include "app/test_support/machine_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qnb::test {

namespace fs = std::filesystem;

std::string MachineJson(const std::string& name) {
    std::ifstream in(std::string(QNB_SOURCE_DIR) + "/testbed/machines/" + name + ".json", std::ios::binary);
    EXPECT_TRUE(in) << "no machine description " << name;
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

namespace {

std::string MakeRoot() {
    std::string pattern = (fs::temp_directory_path() / "qnb-machine-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    EXPECT_NE(made, nullptr);
    return pattern;
}

}  // namespace

MachineFixture::MachineFixture(const std::string& json) : root_(MakeRoot()), files_(root_) {
    std::string error;
    auto machine = sim::ParseMachine(json, &error);
    if (!machine) {
        ADD_FAILURE() << "bad machine description: " << error;
        machine = sim::MachineDescription{};
    }
    for (const sim::Disk& d : machine->disks) {
        for (const sim::Partition& p : d.partitions) {
            if (p.volume && p.volume->letter) AddDrive(p.volume->letter);
        }
    }
    system_ = std::make_unique<sim::SimSystem>(machine->windows);
    storage_ = std::make_unique<sim::SimStorage>(std::move(*machine));
}

MachineFixture::~MachineFixture() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void MachineFixture::AddDrive(char letter) { fs::create_directories(root_ + "/" + letter); }

void MachineFixture::MakeFolders(const std::string& windowsPath) {
    fs::create_directories(files_.HostPath(windowsPath));
}

void MachineFixture::WriteFile(const std::string& windowsPath, const std::string& bytes) {
    std::string host = files_.HostPath(windowsPath);
    fs::create_directories(fs::path(host).parent_path());
    std::ofstream(host, std::ios::binary) << bytes;
}

std::string MachineFixture::ReadFile(const std::string& windowsPath) {
    return files_.readFile(windowsPath).value_or("<missing>");
}

bool MachineFixture::Exists(const std::string& windowsPath) { return fs::exists(files_.HostPath(windowsPath)); }

}  // namespace qnb::test
