// The hardware page's two direct queries under Wine.
#include "inspect/memory_status_win32.h"
#include "inspect/processor_name.h"

#include <gtest/gtest.h>

namespace qnb::inspect {
namespace {

TEST(HardwareQueries, MemoryStatusAndProcessorName) {
    std::optional<MemoryStatus> memory = win32::ReadMemoryStatus();
    ASSERT_TRUE(memory);
    EXPECT_GT(memory->totalPhysical, 64ull << 20);
    EXPECT_LE(memory->load, 100u);
    std::optional<std::string> name = ReadProcessorName();
    ASSERT_TRUE(name);
    EXPECT_LE(name->size(), 48u);
}

}  // namespace
}  // namespace qnb::inspect
