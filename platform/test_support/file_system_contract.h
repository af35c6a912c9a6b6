// What every FileSystem does as the Windows adapter does, checked on each
// of them: the host and memory twins natively, the adapter under Wine.
#pragma once

#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace qnb::test {

// A file system and an empty folder in it to work in.
class ContractPlace {
public:
    virtual ~ContractPlace() = default;
    virtual FileSystem& files() = 0;
    // With its trailing backslash.
    virtual std::string folder() const = 0;
};

struct ContractSubject {
    std::string name;
    std::function<std::unique_ptr<ContractPlace>()> make;
};

// Shown in place of the bytes when a test fails.
inline void PrintTo(const ContractSubject& subject, std::ostream* out) { *out << subject.name; }

class FileSystemContract : public ::testing::TestWithParam<ContractSubject> {
protected:
    void SetUp() override { place_ = GetParam().make(); }
    FileSystem& files() { return place_->files(); }
    std::string At(const std::string& name) const { return place_->folder() + name; }

private:
    std::unique_ptr<ContractPlace> place_;
};

// Names the instances of INSTANTIATE_TEST_SUITE_P after their subjects.
inline std::string SubjectName(const ::testing::TestParamInfo<ContractSubject>& info) { return info.param.name; }

}  // namespace qnb::test
