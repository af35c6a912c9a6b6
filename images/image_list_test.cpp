#include "images/image_list.h"

#include <gtest/gtest.h>

namespace qnb::images {
namespace {

std::vector<std::string> Labels(std::string_view xml) {
    std::vector<std::string> labels;
    for (const ImageEntry& image : ParseImageList(xml)) labels.push_back(image.Label());
    return labels;
}

TEST(ImageList, TheRootsImageChildrenInOrderWithTheirDisplayDescriptions) {
    const char* xml =
        "<WIM><TOTALBYTES>1</TOTALBYTES>"
        "<IMAGE INDEX=\"1\"><NAME>Home</NAME><DISPLAYDESCRIPTION>Windows 10 家庭版</DISPLAYDESCRIPTION></IMAGE>"
        "<image INDEX=\"2\"><NAME>Pro</NAME><DISPLAYDESCRIPTION>Windows 10 专业版</DISPLAYDESCRIPTION></image>"
        "<Image INDEX=\"3\"><DISPLAYDESCRIPTION>三</DISPLAYDESCRIPTION></Image>"
        "<IMAGES><IMAGE INDEX=\"9\"/></IMAGES></WIM>";
    std::vector<ImageEntry> images = ParseImageList(xml);
    ASSERT_EQ(images.size(), 3u) << "IMAGE matched without regard to case, only as a child of the root";
    EXPECT_EQ(images[1].index, "2");
    EXPECT_EQ(images[1].name, "Pro");
    EXPECT_EQ(Labels(xml), (std::vector<std::string>{"Windows 10 家庭版", "Windows 10 专业版", "三"}));
}

TEST(ImageList, AnImageWithoutDescriptionIsNamedByItsNameOrNumber) {
    EXPECT_EQ(Labels("<WIM><IMAGE INDEX=\"1\"><NAME>Core</NAME></IMAGE><IMAGE INDEX=\"2\"/></WIM>"),
              (std::vector<std::string>{"Core", "映像 2"}));
}

TEST(ImageList, TextThatIsNoImageListHasNoImages) {
    for (const char* text : {"", "imagex: the file is not a WIM file", "<WIM><IMAGE>", "<WIM></WIM>",
                             "<WIM><TOTALBYTES>5</TOTALBYTES></WIM>"}) {
        EXPECT_TRUE(ParseImageList(text).empty()) << text;
    }
}

}  // namespace
}  // namespace qnb::images
