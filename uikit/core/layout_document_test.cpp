#include "uikit/core/layout_document.h"

#include <gtest/gtest.h>

namespace uikit {
namespace {

TEST(LayoutDocument, WindowWithFontsDefaultsAndOneRoot) {
    const char* xml = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="400,220" caption="0,0,0,60">
  <Font id="0" name="微软雅黑" size="12" default="true"/>
  <Font id="1" name="微软雅黑" size="16" bold="true"/>
  <Default name="Button" value="textcolor=&quot;#FF333333&quot; font=&quot;1&quot;"/>
  <VerticalLayout bkcolor="#FFFFFFFF">
    <Label name="msg1" text="第一行"/>
    <!-- a comment -->
    <Button name="btn_ok" text="确定"/>
  </VerticalLayout>
</Window>)";
    LayoutDocument doc;
    std::string error;
    ASSERT_TRUE(ParseLayout(xml, &doc, &error)) << error;
    EXPECT_TRUE(doc.hasWindow);
    ASSERT_EQ(doc.window.size(), 2u);
    EXPECT_EQ(doc.window[0], (std::pair<std::string, std::string>{"size", "400,220"}));
    ASSERT_EQ(doc.fonts.size(), 2u);
    EXPECT_EQ(doc.fonts[0].name, "微软雅黑");
    EXPECT_TRUE(doc.fonts[0].isDefault);
    EXPECT_EQ(doc.fonts[1].size, 16);
    EXPECT_TRUE(doc.fonts[1].bold);
    ASSERT_EQ(doc.defaults.size(), 1u);
    EXPECT_EQ(doc.defaults[0].tag, "Button");
    EXPECT_EQ(doc.defaults[0].attributes[1].second, "1");
    EXPECT_EQ(doc.root.tag, "VerticalLayout");
    ASSERT_EQ(doc.root.children.size(), 2u);
    EXPECT_EQ(*doc.root.children[0].Find("text"), "第一行");
    EXPECT_EQ(doc.root.children[1].Find("missing"), nullptr);
}

TEST(LayoutDocument, AFragmentIsItsOwnRoot) {
    LayoutDocument doc;
    std::string error;
    ASSERT_TRUE(ParseLayout(R"(<ListContainerElement height="40"><Label name="a"/></ListContainerElement>)", &doc,
                            &error));
    EXPECT_FALSE(doc.hasWindow);
    EXPECT_EQ(doc.root.tag, "ListContainerElement");
    EXPECT_EQ(doc.root.children.size(), 1u);
}

TEST(LayoutDocument, RefusesWhatItCannotUse) {
    std::string deep;
    for (int i = 0; i <= kMaxLayoutDepth + 1; ++i) deep += "<VerticalLayout>";
    for (int i = 0; i <= kMaxLayoutDepth + 1; ++i) deep += "</VerticalLayout>";
    const char* cases[] = {
        "<Window><Label/>",                                            // not well formed
        "",                                                            // nothing
        "<Window size=\"1,1\"/>",                                      // no root control
        "<Window><Label/><Label/></Window>",                           // two roots
        "<Window><Font id=\"x\"/><Label/></Window>",                   // bad font id
        "<Window><Font size=\"0\"/><Label/></Window>",                 // bad font size
        "<Window><Default name=\"Button\" value=\"a=b\"/><Label/></Window>",  // bad default list
        deep.c_str(),
    };
    for (const char* xml : cases) {
        LayoutDocument doc;
        std::string error;
        EXPECT_FALSE(ParseLayout(xml, &doc, &error)) << xml;
        EXPECT_FALSE(error.empty());
    }
}

TEST(LayoutDocument, RefusesAFontIdDeclaredTwice) {
    LayoutDocument doc;
    std::string error;
    EXPECT_FALSE(ParseLayout(R"(<Window><Font id="1" size="12"/><Font id="1" size="14"/><Label/></Window>)", &doc,
                             &error));
    EXPECT_NE(error.find("id 1"), std::string::npos) << error;
}

TEST(SharedStyles, GlobalHoldsFontsAndDefaultsOnly) {
    SharedStyles styles;
    std::string error;
    ASSERT_TRUE(ParseSharedStyles(R"(<?xml version="1.0" encoding="utf-8"?>
<Global>
  <Font id="0" name="微软雅黑" size="12" default="true"/>
  <!-- a comment -->
  <Font id="4" name="微软雅黑" size="15" bold="true"/>
  <Default name="Button" value="textcolor=&quot;#FF333333&quot;"/>
</Global>)",
                                  &styles, &error))
        << error;
    ASSERT_EQ(styles.fonts.size(), 2u);
    EXPECT_EQ(styles.fonts[1].id, 4);
    EXPECT_TRUE(styles.fonts[1].bold);
    ASSERT_EQ(styles.defaults.size(), 1u);
    EXPECT_EQ(styles.defaults[0].tag, "Button");

    const char* refused[] = {
        "<Global><Font id=\"0\" size=\"12\"/>",                              // not well formed
        "<Window><Font id=\"0\" size=\"12\"/><Label/></Window>",             // a layout, not shared styles
        "<Global><Label/></Global>",                                           // a control
        "<Global><Font id=\"0\"/><Font id=\"0\" size=\"14\"/></Global>",     // one id twice
        "<Global><Font size=\"-1\"/></Global>",
        "<Global><Default value=\"a=&quot;b&quot;\"/></Global>",               // a Default without a name
    };
    for (const char* xml : refused) {
        EXPECT_FALSE(ParseSharedStyles(xml, &styles, &error)) << xml;
        EXPECT_FALSE(error.empty());
    }
}

SharedStyles Shared() {
    SharedStyles shared;
    shared.fonts = {{0, "微软雅黑", 12, false, false, false, true}, {1, "微软雅黑", 14}};
    shared.defaults = {{"Button", {{"textcolor", "#FF333333"}}}};
    return shared;
}

TEST(SharedStyles, AWindowGetsThemBeforeItsOwn) {
    LayoutDocument doc;
    std::string error;
    ASSERT_TRUE(ParseLayout(R"(<Window><Font id="9" size="50"/>
        <Default name="Button" value="height=&quot;24&quot;"/><Label/></Window>)",
                            &doc, &error));
    ASSERT_TRUE(ApplySharedStyles(Shared(), &doc, &error)) << error;
    std::vector<int> ids;
    for (const FontSpec& f : doc.fonts) ids.push_back(f.id);
    EXPECT_EQ(ids, (std::vector<int>{0, 1, 9}));
    ASSERT_EQ(doc.defaults.size(), 2u);
    EXPECT_EQ(doc.defaults[0].attributes[0].first, "textcolor");
    EXPECT_EQ(doc.defaults[1].attributes[0].first, "height");

    ASSERT_TRUE(ParseLayout("<Label/>", &doc, &error));
    ASSERT_TRUE(ApplySharedStyles(Shared(), &doc, &error)) << "a fragment takes them too";
    EXPECT_EQ(doc.fonts.size(), 2u);
}

TEST(SharedStyles, AWindowMayNotRedeclareASharedFont) {
    struct Case {
        const char* xml;
        const char* reason;
    };
    const Case cases[] = {
        {R"(<Window><Font id="1" size="14"/><Label/></Window>)", "id 1"},              // even the same font
        {R"(<Window><Font id="1" size="30"/><Label/></Window>)", "id 1"},
        {R"(<Window><Font id="5" size="12" default="true"/><Label/></Window>)", "default"},
    };
    for (const Case& c : cases) {
        LayoutDocument doc;
        std::string error;
        ASSERT_TRUE(ParseLayout(c.xml, &doc, &error)) << c.xml;
        EXPECT_FALSE(ApplySharedStyles(Shared(), &doc, &error)) << c.xml;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace uikit
