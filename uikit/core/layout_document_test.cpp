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

}  // namespace
}  // namespace uikit
