#include "platform/sha256.h"

#include <gtest/gtest.h>

namespace qnb {
namespace {

// The examples of FIPS 180-4 and its published test vectors.
TEST(Sha256, KnownDigests) {
    struct Case {
        std::string message;
        const char* digest;
    };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 448 bits: the padding needs a second block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases) EXPECT_EQ(Sha256Hex(c.message), c.digest) << c.message.size() << " bytes";
}

TEST(Sha256, PiecesOfAnySizeGiveTheDigestOfTheWhole) {
    std::string data;
    for (int i = 0; i < 1000; ++i) data += static_cast<char>(i * 7 + 3);
    const std::string whole = Sha256Hex(data);
    for (size_t piece : {1u, 3u, 55u, 56u, 63u, 64u, 65u, 127u, 999u}) {
        Sha256 hash;
        for (size_t at = 0; at < data.size(); at += piece) hash.Update(std::string_view(data).substr(at, piece));
        EXPECT_EQ(HexDigest(hash.Finish()), whole) << "pieces of " << piece;
    }
    Sha256 reused;
    reused.Update("first");
    reused.Finish();
    reused.Update("abc");
    EXPECT_EQ(HexDigest(reused.Finish()), Sha256Hex("abc")) << "Finish starts over";
}

TEST(Sha256, HexDigitsOfADigest) {
    const std::string digest = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    EXPECT_TRUE(IsSha256Hex(digest));
    EXPECT_TRUE(IsSha256Hex("BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"));
    EXPECT_FALSE(IsSha256Hex(digest.substr(1)));
    EXPECT_FALSE(IsSha256Hex(digest + "0"));
    EXPECT_FALSE(IsSha256Hex("g" + digest.substr(1)));
    EXPECT_FALSE(IsSha256Hex(""));
}

}  // namespace
}  // namespace qnb
