#include "inspect/processor_name.h"

#include <gtest/gtest.h>

namespace qnb::inspect {
namespace {

// The registers of one leaf for 16 characters of text.
std::array<uint32_t, 4> Leaf(const char (&text)[17]) {
    std::array<uint32_t, 4> leaf{};
    for (int i = 0; i < 16; ++i) leaf[i / 4] |= static_cast<uint32_t>(static_cast<unsigned char>(text[i])) << (8 * (i % 4));
    return leaf;
}

TEST(ProcessorName, TheLeavesReadInRegisterOrderUpToTheFirstNul) {
    BrandLeaves intel{Leaf("       Intel(R) "), Leaf("Core(TM) i5-8400"), Leaf(" CPU @ 2.80GHz\0\0")};
    EXPECT_EQ(BrandString(intel), "       Intel(R) Core(TM) i5-8400 CPU @ 2.80GHz") << "leading blanks kept";
    BrandLeaves full{Leaf("0123456789abcdef"), Leaf("ghijklmnopqrstuv"), Leaf("wxyzABCDEFGHIJKL")};
    EXPECT_EQ(BrandString(full), "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKL") << "48 characters, no NUL";
    BrandLeaves empty{};
    EXPECT_EQ(BrandString(empty), "");
}

TEST(ProcessorName, ThisMachinesProcessorHasAName) {
#if defined(__i386__) || defined(__x86_64__)
    std::optional<std::string> name = ReadProcessorName();
    ASSERT_TRUE(name);
    EXPECT_LE(name->size(), 48u);
    EXPECT_EQ(name->find('\0'), std::string::npos);
#else
    EXPECT_FALSE(ReadProcessorName());
#endif
}

}  // namespace
}  // namespace qnb::inspect
