#include "app/pe_version.h"

#include "app/test_support/pe_builder.h"

#include <gtest/gtest.h>

namespace qnb {
namespace {

using test::BuildPeImage;
using test::PeImageOptions;

TEST(PeVersion, ReadsBothImageKinds) {
    for (bool pe32Plus : {false, true}) {
        PeImageOptions o;
        o.pe32Plus = pe32Plus;
        o.major = 10;
        o.minor = 0;
        o.build = 19041;
        o.revision = 1202;
        auto v = ReadPeFileVersion(BuildPeImage(o));
        ASSERT_TRUE(v) << pe32Plus;
        EXPECT_EQ(v->major, 10);
        EXPECT_EQ(v->minor, 0);
        EXPECT_EQ(v->build, 19041);
        EXPECT_EQ(v->revision, 1202);
    }
}

TEST(PeVersion, RefusesImagesWithoutAUsableVersion) {
    struct Case { const char* why; PeImageOptions options; };
    PeImageOptions icon;
    icon.resourceType = 3;
    PeImageOptions wrongKey;
    wrongKey.key = "VS_VERSION_INFX";
    PeImageOptions wrongSignature;
    wrongSignature.signature = 0xFEEF04BC;
    for (const Case& c : {Case{"no version resource", icon}, Case{"another key", wrongKey},
                          Case{"no fixed info", wrongSignature}}) {
        EXPECT_FALSE(ReadPeFileVersion(BuildPeImage(c.options))) << c.why;
    }
}

TEST(PeVersion, DamagedHeadersYieldNothing) {
    const Bytes good = BuildPeImage();
    struct Patch { const char* why; size_t offset; uint8_t value; };
    const Patch patches[] = {
        {"no MZ", 0, 'X'},
        {"PE header outside the file", 0x3F, 0x7F},
        {"no PE signature", 0x40, 'X'},
        {"unknown optional header", 0x58, 0x99},
        {"resource RVA outside every section", 0x58 + 96 + 16 + 2, 0x7F},
        {"root directory lists nothing", 0x200 + 14, 0},
        {"subdirectory offset outside", 0x200 + 22, 0x7F},
        {"data entry RVA outside", 0x200 + 0x48 + 2, 0x7F},
    };
    for (const Patch& p : patches) {
        Bytes damaged = good;
        damaged[p.offset] = p.value;
        EXPECT_FALSE(ReadPeFileVersion(damaged)) << p.why;
    }
}

TEST(PeVersion, EveryTruncationIsRefusedWithoutAFault) {
    const Bytes good = BuildPeImage();
    for (size_t cut = 0; cut < good.size(); ++cut) {
        Bytes truncated(good.begin(), good.begin() + cut);
        auto v = ReadPeFileVersion(truncated);
        // The version lies inside the resource section, near its start; only
        // a cut after it still reads.
        if (v) EXPECT_EQ(v->major, 6);
    }
    EXPECT_TRUE(ReadPeFileVersion(good));
}

}  // namespace
}  // namespace qnb
