#include "installer/boot_ini.h"

#include "platform/text.h"

#include <gtest/gtest.h>

namespace qnb::installer {
namespace {

const std::string kXpBootIni =
    "[boot loader]\r\n"
    "timeout=30\r\n"
    "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
    "[operating systems]\r\n"
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" /noexecute=optin "
    "/fastdetect\r\n"
    "C:\\CMDCONS\\BOOTSECT.DAT=\"Microsoft Windows Recovery Console\" /cmdcons\r\n";

TEST(BootIni, TheHeadIsReplacedTheSystemsStayInOrderAndTheEntryComesLast) {
    std::optional<std::string> rewritten = RewriteBootIni(kXpBootIni, 'C', "TessalyPE");
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(*rewritten,
              "[boot loader]\r\n"
              "timeout=3\r\n"
              "default=C:\\grub.mbr\r\n"
              "[operating systems]\r\n"
              "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" /noexecute=optin "
              "/fastdetect\r\n"
              "C:\\CMDCONS\\BOOTSECT.DAT=\"Microsoft Windows Recovery Console\" /cmdcons\r\n"
              "\r\n"
              "C:\\grub.mbr=\"TessalyPE\"");
}

TEST(BootIni, OtherBootLoaderKeysGoAndTheLabelKeepsItsAnsiBytes) {
    const std::string old =
        "[boot loader]\r\ntimeout=0\r\nredirect=COM1\r\ndefault=x\r\n[operating systems]\r\nx=\"XP\"";
    const std::string label = text::Utf8ToAnsi("Tessaly预安装环境");
    std::optional<std::string> rewritten = RewriteBootIni(old, 'D', label);
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(*rewritten, "[boot loader]\r\ntimeout=3\r\ndefault=D:\\grub.mbr\r\n[operating systems]\r\nx=\"XP\"\r\n"
                          "D:\\grub.mbr=\"" + label + "\"");
    EXPECT_EQ(label, "Tessaly\xD4\xA4\xB0\xB2\xD7\xB0\xBB\xB7\xBE\xB3") << "GBK";
}

TEST(BootIni, ASecondRunAddsOneMoreLine) {
    std::optional<std::string> once = RewriteBootIni(kXpBootIni, 'C', "TessalyPE");
    ASSERT_TRUE(once);
    std::optional<std::string> twice = RewriteBootIni(*once, 'C', "TessalyPE");
    ASSERT_TRUE(twice);
    EXPECT_EQ(*twice, *once + "\r\nC:\\grub.mbr=\"TessalyPE\"");
}

TEST(BootIni, WithoutTheSectionAfterALineBreakItIsRefused) {
    for (const char* old : {
             "",
             "[boot loader]\r\ntimeout=30\r\n",
             "[operating systems]\r\nx=\"XP\"\r\n",             // at the very start: no line break before it
             "[boot loader]\r\n[Operating Systems]\r\nx=\"XP\"",  // the section is found by its exact case
             "[boot loader]\n[operating systems]\nx=\"XP\"",     // LF alone is not a line break here
         }) {
        EXPECT_EQ(RewriteBootIni(old, 'C', "TessalyPE"), std::nullopt) << old;
    }
}

TEST(BootIni, TheFirstSectionMarkWinsAndBytesAfterItPassUnchanged) {
    const char raw[] = "[boot loader]\r\n[operating systems]\r\na=\"\xB2\xE2\"\0b\r\n[operating systems]\r\n";
    const std::string old(raw, sizeof raw - 1);
    std::optional<std::string> rewritten = RewriteBootIni(old, 'C', "L");
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(rewritten->substr(rewritten->find("\r\n[operating systems]")),
              old.substr(old.find("\r\n[operating systems]")) + "\r\nC:\\grub.mbr=\"L\"");
}

}  // namespace
}  // namespace qnb::installer
