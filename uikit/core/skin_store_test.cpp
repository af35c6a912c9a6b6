#include "uikit/core/skin_store.h"

#include <gtest/gtest.h>

#include <map>

namespace uikit {
namespace {

struct Entries {
    std::map<std::string, std::string_view, std::less<>> files;
    SkinLookup Lookup() const {
        return [this](std::string_view name) -> const std::string_view* {
            auto it = files.find(name);
            return it == files.end() ? nullptr : &it->second;
        };
    }
};

constexpr std::string_view kGlobal =
    R"(<Global><Font id="0" size="12" default="true"/><Font id="1" size="20"/></Global>)";
constexpr std::string_view kDialog = R"(<Window size="10,10"><Label name="l" font="1"/></Window>)";

TEST(WindowLayout, ReadsTheSkinFoldersGlobalFileFirst) {
    Entries skin;
    skin.files = {{"skin/global.xml", kGlobal}, {"skin/Dlg.xml", kDialog}, {"other/global.xml", "<Global/>"}};
    LayoutDocument doc;
    std::string error;
    ASSERT_TRUE(ReadWindowLayout(skin.Lookup(), "skin/", "Dlg.xml", &doc, &error)) << error;
    ASSERT_EQ(doc.fonts.size(), 2u);
    EXPECT_EQ(doc.fonts[1].size, 20);
    EXPECT_EQ(doc.root.tag, "Label");
}

TEST(WindowLayout, NamesTheFileThatIsMissingOrBad) {
    struct Case {
        std::map<std::string, std::string_view, std::less<>> files;
        const char* named;
    };
    const Case cases[] = {
        {{{"skin/Dlg.xml", kDialog}}, "skin/global.xml"},                                   // no shared styles
        {{{"skin/global.xml", kGlobal}}, "skin/Dlg.xml"},
        {{{"skin/global.xml", "<Global><Label/></Global>"}, {"skin/Dlg.xml", kDialog}}, "skin/global.xml"},
        {{{"skin/global.xml", kGlobal}, {"skin/Dlg.xml", "<Window><Label/>"}}, "skin/Dlg.xml"},
        {{{"skin/global.xml", kGlobal}, {"skin/Dlg.xml", R"(<Window><Font id="1"/><Label/></Window>)"}},
         "skin/Dlg.xml"},                                                                   // a shared id again
    };
    for (const Case& c : cases) {
        Entries skin;
        skin.files = c.files;
        LayoutDocument doc;
        std::string error;
        EXPECT_FALSE(ReadWindowLayout(skin.Lookup(), "skin/", "Dlg.xml", &doc, &error)) << c.named;
        EXPECT_NE(error.find(c.named), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace uikit
