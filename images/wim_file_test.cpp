#include "images/wim_file.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qnb::wim {
namespace {

Bytes Utf16Le(const std::u16string& text, bool bom = true) {
    Bytes out;
    if (bom) out = {0xFF, 0xFE};
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
}

// A WIM of a header and its description right after it.
Bytes Wim(const Bytes& xml, Header header = {}) {
    if (header.headerSize == 0) header.headerSize = kHeaderSize;
    if (header.xml.offset == 0) header.xml.offset = kHeaderSize;
    if (header.xml.sizeInWim == 0) header.xml.sizeInWim = xml.size();
    header.xml.originalSize = header.xml.sizeInWim;
    Bytes file = EncodeHeader(header);
    file.insert(file.end(), xml.begin(), xml.end());
    return file;
}

std::optional<std::string> Read(const Bytes& file, Problem* problem, Header* header = nullptr) {
    ReadAt read = [&](uint64_t offset, size_t length, uint8_t* out) {
        if (offset > file.size() || length > file.size() - offset) return false;
        std::memcpy(out, file.data() + offset, length);
        return true;
    };
    return ReadXml(read, file.size(), problem, header);
}

TEST(WimFile, ReadsTheDescriptionAsUtf8) {
    Header header;
    header.version = 0x10D00;
    header.imageCount = 4;
    header.partNumber = 1;
    header.totalParts = 1;
    Bytes file = Wim(Utf16Le(u"<WIM><IMAGE INDEX=\"1\"><NAME>专业版 \U0001F600</NAME></IMAGE></WIM>"), header);
    Problem problem;
    Header read;
    std::optional<std::string> xml = Read(file, &problem, &read);
    ASSERT_TRUE(xml) << Describe(problem);
    EXPECT_EQ(*xml, "<WIM><IMAGE INDEX=\"1\"><NAME>专业版 \xF0\x9F\x98\x80</NAME></IMAGE></WIM>");
    EXPECT_EQ(read.imageCount, 4u);
    EXPECT_EQ(read.version, 0x10D00u);
    EXPECT_EQ(read.xml.offset, kHeaderSize);
}

TEST(WimFile, TheDescriptionReadsWithoutItsMarkAndWithoutATrailingNul) {
    Problem problem;
    EXPECT_EQ(Read(Wim(Utf16Le(u"<WIM/>", false)), &problem).value_or("?"), "<WIM/>");
    EXPECT_EQ(Read(Wim(Utf16Le(std::u16string(u"<WIM/>") + u'\0')), &problem).value_or("?"), "<WIM/>");
}

TEST(WimFile, UnpairedSurrogatesBecomeReplacementCharacters) {
    Problem problem;
    std::u16string text = u"<a>";
    text += char16_t(0xD800);
    text += u"x";
    text += char16_t(0xDC00);
    text += u"</a>";
    EXPECT_EQ(XmlToUtf8(Utf16Le(text), &problem).value_or("?"), "<a>\xEF\xBF\xBDx\xEF\xBF\xBD</a>");
    // A high surrogate as the last unit has no partner to read past the end.
    EXPECT_EQ(XmlToUtf8(Utf16Le(std::u16string(u"a") + char16_t(0xDBFF)), &problem).value_or("?"), "a\xEF\xBF\xBD");
}

TEST(WimFile, BrokenFilesAreRefusedWithTheirReason) {
    Bytes good = Wim(Utf16Le(u"<WIM/>"));
    auto with = [&](auto change) {
        Bytes file = good;
        change(file);
        return file;
    };
    auto at = [](Bytes& f, size_t offset, uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) f[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    constexpr size_t xml = offsetof(HeaderOnDisk, xmlData);
    struct Case {
        const char* what;
        Bytes file;
        Problem problem;
    } cases[] = {
        {"empty file", {}, Problem::kNotWim},
        {"another format", with([](Bytes& f) { f[0] = 'P'; f[1] = 'K'; }), Problem::kNotWim},
        {"pipable WIM signature", with([](Bytes& f) { std::memcpy(f.data(), "WLPWM\0\0\0", 8); }), Problem::kNotWim},
        {"cut inside the header", Bytes(good.begin(), good.begin() + 100), Problem::kTruncatedHeader},
        {"header size too small", with([&](Bytes& f) { at(f, 8, 100, 4); }), Problem::kBadHeaderSize},
        {"header size absurd", with([&](Bytes& f) { at(f, 8, 0xFFFFFFFF, 4); }), Problem::kBadHeaderSize},
        {"no description", with([&](Bytes& f) { at(f, xml, 0, 7); at(f, xml + 8, 0, 8); }), Problem::kNoXml},
        {"description past the end", with([&](Bytes& f) { at(f, xml, 1000, 7); }), Problem::kXmlOutOfBounds},
        {"offset past the end", with([&](Bytes& f) { at(f, xml + 8, 5000, 8); }), Problem::kXmlOutOfBounds},
        {"offset and size that wrap", with([&](Bytes& f) { at(f, xml + 8, ~uint64_t(0) - 4, 8); }),
         Problem::kXmlOutOfBounds},
        {"description inside the header", with([&](Bytes& f) { at(f, xml + 8, 16, 8); }), Problem::kXmlOutOfBounds},
        {"compressed description", with([&](Bytes& f) { f[xml + 7] = kResourceCompressed; }), Problem::kXmlCompressed},
        {"odd length", with([&](Bytes& f) { at(f, xml, good.size() - kHeaderSize - 1, 7); }), Problem::kXmlNotUtf16},
        {"NUL inside the text", with([](Bytes& f) { f[kHeaderSize + 4] = 0; f[kHeaderSize + 5] = 0; }),
         Problem::kXmlNotUtf16},
    };
    for (const Case& c : cases) {
        Problem problem = Problem::kNone;
        EXPECT_FALSE(Read(c.file, &problem)) << c.what;
        EXPECT_EQ(problem, c.problem) << c.what << ": " << Describe(problem);
    }
}

TEST(WimFile, ADescriptionLargerThanAnyRealOneIsRefusedBeforeItIsRead) {
    Header header;
    header.headerSize = kHeaderSize;
    header.xml.offset = kHeaderSize;
    header.xml.sizeInWim = kMaxXmlSize + 2;
    EXPECT_EQ(CheckXmlResource(header, kMaxXmlSize * 2), Problem::kXmlTooLarge);
}

TEST(WimFile, AnUnreadableFileSaysSo) {
    Bytes file = Wim(Utf16Le(u"<WIM/>"));
    Problem problem;
    ReadAt failing = [](uint64_t, size_t, uint8_t*) { return false; };
    EXPECT_FALSE(ReadXml(failing, file.size(), &problem));
    EXPECT_EQ(problem, Problem::kUnreadable);
}

}  // namespace
}  // namespace qnb::wim
