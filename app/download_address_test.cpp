#include "app/download_address.h"

#include <gtest/gtest.h>

namespace qnb {
namespace {

const std::string kHash = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

TEST(DownloadAddress, TheFragmentCarriesTheChecksAndNeverTheRequest) {
    struct Case {
        std::string url;
        const char* request;
        std::string sha256;
        uint64_t size;
        bool valid;
    };
    const Case cases[] = {
        {"http://pe.example/TessalyPE.wim", "http://pe.example/TessalyPE.wim", "", 0, true},
        {"http://pe.example/pe.wim#sha256=" + kHash, "http://pe.example/pe.wim", kHash, 0, true},
        {"http://img.example/a.gho?x=1#size=4294967296&sha256=" + kHash, "http://img.example/a.gho?x=1", kHash,
         4294967296u, true},
        {"http://pe.example/pe.wim#SHA256=" + kHash, "http://pe.example/pe.wim", "", 0, true},  // not our key
        {"http://pe.example/pe.wim#part", "http://pe.example/pe.wim", "", 0, true},
        {"http://pe.example/pe.wim#sha256=" + std::string(64, 'A'), "http://pe.example/pe.wim",
         std::string(64, 'a'), 0, true},
        {"http://pe.example/pe.wim#sha256=abc", "http://pe.example/pe.wim", "", 0, false},
        {"http://pe.example/pe.wim#sha256=", "http://pe.example/pe.wim", "", 0, false},
        {"http://pe.example/pe.wim#size=-1", "http://pe.example/pe.wim", "", 0, false},
        {"http://pe.example/pe.wim#size=0", "http://pe.example/pe.wim", "", 0, false},
        {"http://pe.example/pe.wim#sha256=" + kHash + "&sha256=" + kHash, "http://pe.example/pe.wim", kHash, 0,
         false},
    };
    for (const Case& c : cases) {
        DownloadAddress a = ParseDownloadAddress(c.url);
        EXPECT_EQ(a.request, c.request) << c.url;
        EXPECT_EQ(a.sha256, c.sha256) << c.url;
        EXPECT_EQ(a.size, c.size) << c.url;
        EXPECT_EQ(a.valid, c.valid) << c.url;
    }
}

TEST(DownloadAddress, ChecksAddedToAnAddressReadBack) {
    EXPECT_EQ(AddressWithChecks("http://img.example/a.gho", "", 0), "http://img.example/a.gho");
    EXPECT_EQ(AddressWithChecks("http://img.example/a.gho#old", "", 12), "http://img.example/a.gho#size=12");
    std::string address = AddressWithChecks("http://img.example/a.gho", kHash, 12);
    DownloadAddress back = ParseDownloadAddress(address);
    EXPECT_EQ(back.request, "http://img.example/a.gho");
    EXPECT_EQ(back.sha256, kHash);
    EXPECT_EQ(back.size, 12u);
    EXPECT_TRUE(back.valid);
}

TEST(DownloadAddress, AcceptableUrls) {
    struct Case {
        std::string url;
        bool ok;
    };
    const Case cases[] = {
        {"http://pe.example/TessalyPE.wim", true},
        {"HTTPS://pe.example/TessalyPE.wim#sha256=" + kHash, true},
        {"http://pe.example/TessalyPE 2.wim", true},
        {"http://", false},
        {"ftp://pe.example/a.wim", false},
        {"file:///C:/Windows/a.wim", false},
        {"\\\\server\\share\\a.wim", false},
        {"pe.example/a.wim", false},
        {"http://pe.example/a.wim\r\nX: y", false},
        {"http://pe.example/\xE9\x95\x9C.wim", false},
        {"http://pe.example/" + std::string(2047 - 18, 'a'), true},
        {"http://pe.example/" + std::string(2048 - 18, 'a'), false},
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(AcceptableDownloadUrl(c.url), c.ok) << c.url.substr(0, 60);
}

}  // namespace
}  // namespace qnb
