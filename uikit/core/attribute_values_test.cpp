#include "uikit/core/attribute_values.h"

#include <gtest/gtest.h>

namespace uikit {
namespace {

TEST(AttributeValues, Colours) {
    struct Case {
        const char* text;
        std::optional<uint32_t> colour;
    } cases[] = {
        {"#FF0F68AF", 0xFF0F68AFu}, {"#0f68af", 0xFF0F68AFu}, {"#00000000", 0u}, {" #ff1fbba6 ", 0xFF1FBBA6u},
        {"0F68AF", std::nullopt},   {"#0F68A", std::nullopt},  {"#GG000000", std::nullopt}, {"", std::nullopt},
        {"#FF0F68AF00", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseColour(c.text), c.colour) << c.text;
}

TEST(AttributeValues, RectsSizesNumbersAndFlags) {
    EXPECT_EQ(ParseRect("392,244,562,288"), (Rect{392, 244, 562, 288}));
    EXPECT_EQ(ParseRect(" 0, -1 ,0,60"), (Rect{0, -1, 0, 60}));
    EXPECT_EQ(ParseRect("1,2,3"), std::nullopt);
    EXPECT_EQ(ParseRect("1,2,3,4,5"), std::nullopt);
    EXPECT_EQ(ParseRect("1,2,x,4"), std::nullopt);
    EXPECT_EQ(ParseSize("920,600"), (Size{920, 600}));
    EXPECT_EQ(ParseSize("920"), std::nullopt);
    EXPECT_EQ(ParseInt("+12"), 12);
    EXPECT_EQ(ParseInt("12px"), std::nullopt);
    EXPECT_EQ(ParseInt("99999999999"), std::nullopt);
    EXPECT_EQ(ParseInt("100000"), 100000);
    EXPECT_EQ(ParseInt("100001"), std::nullopt) << "no layout needs more; sums of such stay small";
    EXPECT_EQ(ParseRect("-2147483648,0,2147483647,10"), std::nullopt);
    EXPECT_EQ(ParseBool("true"), true);
    EXPECT_EQ(ParseBool("1"), std::nullopt);
}

TEST(AttributeValues, PicturesPlainAndDescribed) {
    auto plain = ParseImage("waring.png");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->file, "waring.png");
    EXPECT_FALSE(plain->source);

    auto described = ParseImage("file='btn.png' source='0,0,100,40' corner='4,4,4,4' dest='2,2,18,18' fade='128'");
    ASSERT_TRUE(described);
    EXPECT_EQ(described->file, "btn.png");
    EXPECT_EQ(described->source, (Rect{0, 0, 100, 40}));
    EXPECT_EQ(described->corner, (Rect{4, 4, 4, 4}));
    EXPECT_EQ(described->dest, (Rect{2, 2, 18, 18}));
    EXPECT_EQ(described->fade, 128);

    EXPECT_TRUE(ParseImage("")->IsEmpty());
    EXPECT_FALSE(ParseImage("source='0,0,1,1'")) << "a description without a file";
    EXPECT_FALSE(ParseImage("file='a.png' fade='300'"));
    EXPECT_FALSE(ParseImage("file='a.png' corner='1,2'"));
    EXPECT_FALSE(ParseImage("file='a.png"));
}

TEST(AttributeValues, AttributeLists) {
    auto list = ParseAttributeList(R"( textcolor="#FF333333"  font='1' text="a 'b' c")");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ((*list)[0], (std::pair<std::string, std::string>{"textcolor", "#FF333333"}));
    EXPECT_EQ((*list)[1].second, "1");
    EXPECT_EQ((*list)[2].second, "a 'b' c");
    EXPECT_TRUE(ParseAttributeList("")->empty());
    for (const char* bad : {"a", "a=", "a=b", "=\"x\"", "a=\"x", "a=\"x\" b"}) {
        EXPECT_FALSE(ParseAttributeList(bad)) << bad;
    }
}

}  // namespace
}  // namespace uikit
