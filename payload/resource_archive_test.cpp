#include "payload/resource_archive.h"

#include "platform/error_codes.h"
#include "platform/posix/host_file_system.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <thread>

extern "C" {
#include "7z.h"
#include "7zAlloc.h"
#include "7zCrc.h"
}

namespace qnb {
namespace {

namespace fs = std::filesystem;

std::string ReadHostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << "cannot read " << path;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The test archive, packed at build time from payload/test_fixture.
const std::string& Archive() {
    static const std::string bytes = ReadHostFile(QNB_PAYLOAD_FIXTURE_ARCHIVE);
    return bytes;
}

struct FixtureFile {
    const char* entry;
    const char* file;  // in the fixture folder
    bool program;      // an executable or library (the BCJ2 block)
};

const FixtureFile kFiles[] = {
    {"download/id.dat", "id.dat", false},
    {"xp/grub.mbr", "grub.mbr", false},
    {"xp/boot/bcd", "bcd", false},
    {"xp/boot/boot.sdi", "boot.sdi", false},
    {"说明.txt", "notes.txt", false},
    {"download/empty.dat", "empty.dat", false},
    {"xldl.dll", "library.dll", true},
    {"isocmd/isocmd.exe", "program.exe", true},
    {"isocmd/ISODrive.sys", "library.dll", true},
};

std::string FixtureBytes(const std::string& entry) {
    for (const FixtureFile& f : kFiles) {
        if (entry == f.entry) return ReadHostFile(std::string(QNB_PAYLOAD_FIXTURE_FOLDER) + "/" + f.file);
    }
    ADD_FAILURE() << "no fixture file for " << entry;
    return {};
}

std::string EntryBytes(const ArchiveEntry& e) {
    return std::string(reinterpret_cast<const char*>(e.data), static_cast<size_t>(e.size));
}

// Every record that a load made holds the entry's true bytes under its
// true name: damage may cut the list short, never change what is in it.
void ExpectRecordsTrue(const CResourceArchive& archive) {
    std::set<int32_t> seen;
    for (const ArchiveEntry& e : archive.Entries()) {
        std::string name = text::Utf16ToUtf8(e.name);
        EXPECT_EQ(EntryBytes(e), FixtureBytes(name)) << name;
        EXPECT_EQ(e.nameLength, static_cast<int32_t>(e.name.size() + 1)) << name;
        EXPECT_TRUE(seen.insert(e.index).second) << name;
    }
}

// The archive as the decoder sees it: coders of each block, which block
// each entry is in, and where the packed streams and the header lie.
struct Layout {
    std::vector<std::multiset<uint32_t>> blockCoders;
    std::map<std::string, uint32_t> blockOf;  // entry name → block (UINT32_MAX: no data)
    std::vector<std::pair<uint64_t, uint64_t>> blockBytes;  // packed [from, to) per block
    uint64_t nextHeader = 0, nextHeaderSize = 0;
};

Layout ReadLayout(const std::string& bytes) {
    Layout layout;
    CrcGenerateTable();
    struct Stream {
        ISeekInStream vt;
        const std::string* bytes;
        size_t position;
    } stream{{[](ISeekInStreamPtr p, void* buffer, size_t* size) -> SRes {
                  auto* s = const_cast<Stream*>(reinterpret_cast<const Stream*>(p));
                  *size = std::min(*size, s->bytes->size() - s->position);
                  std::memcpy(buffer, s->bytes->data() + s->position, *size);
                  s->position += *size;
                  return SZ_OK;
              },
              [](ISeekInStreamPtr p, Int64* position, ESzSeek origin) -> SRes {
                  auto* s = const_cast<Stream*>(reinterpret_cast<const Stream*>(p));
                  Int64 base = origin == SZ_SEEK_SET ? 0 : origin == SZ_SEEK_CUR ? s->position : s->bytes->size();
                  s->position = static_cast<size_t>(base + *position);
                  *position = static_cast<Int64>(s->position);
                  return SZ_OK;
              }},
             &bytes, 0};
    const ISzAlloc alloc{&SzAlloc, &SzFree};
    std::vector<Byte> buffer(1 << 16);
    CLookToRead2 look;
    LookToRead2_CreateVTable(&look, False);
    look.buf = buffer.data();
    look.bufSize = buffer.size();
    look.realStream = &stream.vt;
    LookToRead2_INIT(&look);
    CSzArEx db;
    SzArEx_Init(&db);
    EXPECT_EQ(SzArEx_Open(&db, &look.vt, &alloc, &alloc), SZ_OK);
    for (UInt32 f = 0; f < db.db.NumFolders; ++f) {
        CSzFolder folder;
        CSzData coders{db.db.CodersData + db.db.FoCodersOffsets[f],
                       db.db.FoCodersOffsets[f + 1] - db.db.FoCodersOffsets[f]};
        EXPECT_EQ(SzGetNextFolderItem(&folder, &coders), SZ_OK);
        std::multiset<uint32_t> ids;
        for (UInt32 c = 0; c < folder.NumCoders; ++c) ids.insert(folder.Coders[c].MethodID);
        layout.blockCoders.push_back(ids);
        layout.blockBytes.emplace_back(db.dataPos + db.db.PackPositions[db.db.FoStartPackStreamIndex[f]],
                                       db.dataPos + db.db.PackPositions[db.db.FoStartPackStreamIndex[f + 1]]);
    }
    for (UInt32 i = 0; i < db.NumFiles; ++i) {
        std::u16string name(SzArEx_GetFileNameUtf16(&db, i, nullptr), u'\0');
        SzArEx_GetFileNameUtf16(&db, i, reinterpret_cast<UInt16*>(name.data()));
        name.pop_back();
        layout.blockOf[text::Utf16ToUtf8(name)] = db.FileToFolder[i];
    }
    SzArEx_Free(&db, &alloc);
    uint64_t offset = 0, size = 0;
    std::memcpy(&offset, bytes.data() + 12, 8);
    std::memcpy(&size, bytes.data() + 20, 8);
    layout.nextHeader = 32 + offset;
    layout.nextHeaderSize = size;
    return layout;
}

constexpr uint32_t kLzma = 0x030101, kLzma2 = 0x21, kBcj2 = 0x0303011B;

// A temporary folder standing for drive T: of a Windows machine.
class PayloadTest : public ::testing::Test {
protected:
    PayloadTest() { fs::create_directories(root_ + "/T"); }
    ~PayloadTest() override {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    std::string Host(const std::string& windowsPath) { return files_.HostPath(windowsPath); }
    bool Exists(const std::string& windowsPath) { return fs::exists(Host(windowsPath)); }
    std::string Read(const std::string& windowsPath) { return ReadHostFile(Host(windowsPath)); }

    bool Load(CResourceArchive& archive, const std::string& bytes) {
        return archive.LoadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }

    static std::string MakeRoot() {
        std::string pattern = (fs::temp_directory_path() / "qnb-payload-XXXXXX").string();
        EXPECT_NE(mkdtemp(pattern.data()), nullptr);
        return pattern;
    }

    const std::string root_ = MakeRoot();
    HostFileSystem files_{root_};
};

TEST_F(PayloadTest, LoadUnpacksEveryFileEntryInArchiveOrder) {
    CResourceArchive archive(files_);
    ASSERT_TRUE(Load(archive, Archive()));

    std::set<std::string> expected;
    for (const FixtureFile& f : kFiles) expected.insert(f.entry);
    std::set<std::string> names;
    int32_t previous = -1;
    for (const ArchiveEntry& e : archive.Entries()) {
        names.insert(text::Utf16ToUtf8(e.name));
        EXPECT_GT(e.index, previous);
        previous = e.index;
    }
    // Folder entries (download, isocmd, xp, xp/boot) get no record.
    EXPECT_EQ(names, expected);
    ExpectRecordsTrue(archive);

    std::vector<CResourceArchive::Listing> list = archive.List();
    ASSERT_EQ(list.size(), archive.Entries().size());
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].name, text::Utf16ToUtf8(archive.Entries()[i].name));
        EXPECT_EQ(list[i].size, archive.Entries()[i].size);
        EXPECT_EQ(list[i].index, archive.Entries()[i].index);
    }
}

// The packing options give the layout the reader is built for.
TEST_F(PayloadTest, ArchiveHasAnLzma2BlockABcj2BlockAndACompressedHeader) {
    Layout layout = ReadLayout(Archive());
    ASSERT_EQ(layout.blockCoders.size(), 2u);
    EXPECT_EQ(layout.blockCoders[0], (std::multiset<uint32_t>{kLzma2}));
    EXPECT_EQ(layout.blockCoders[1], (std::multiset<uint32_t>{kBcj2, kLzma2, kLzma, kLzma}));
    for (const FixtureFile& f : kFiles) {
        uint32_t expected = std::string(f.file) == "empty.dat" ? UINT32_MAX : f.program ? 1 : 0;
        EXPECT_EQ(layout.blockOf[f.entry], expected) << f.entry;
    }
    for (const char* folder : {"download", "isocmd", "xp", "xp/boot"}) {
        EXPECT_EQ(layout.blockOf.count(folder), 1u) << folder;
    }

    // The header is stored as an "encoded header" (0x17) whose one block is LZMA.
    const std::string& bytes = Archive();
    ASSERT_LT(layout.nextHeader, bytes.size());
    EXPECT_EQ(static_cast<uint8_t>(bytes[layout.nextHeader]), 0x17);
    std::string header = bytes.substr(layout.nextHeader, layout.nextHeaderSize);
    EXPECT_NE(header.find(std::string("\x0B\x01\x00\x01\x23\x03\x01\x01", 8)), std::string::npos)
        << "folders (0B): one, inline, one coder, a 3-byte id with properties (23): 03 01 01, LZMA";
    // And no entry name can be read in it or anywhere else in the archive.
    std::u16string name = u"isocmd/ISODrive.sys";
    EXPECT_EQ(bytes.find(std::string(reinterpret_cast<const char*>(name.data()), name.size() * 2)),
              std::string::npos);
}

struct NameCase {
    const char* name;
    bool found;
};

// Names are matched unit for unit: case, separators and length all count.
TEST_F(PayloadTest, ExtractMatchesNamesExactly) {
    const NameCase cases[] = {
        {"isocmd/ISODrive.sys", true},
        {"说明.txt", true},
        {"isocmd\\ISODrive.sys", false},
        {"ISOCMD/ISODrive.sys", false},
        {"isocmd/isodrive.sys", false},
        {"/isocmd/ISODrive.sys", false},
        {"isocmd/ISODrive.sy", false},
        {"isocmd/ISODrive.sys ", false},
        {"xp/boot", false},   // a folder entry
        {"xp/boot/", false},
        {"download/empty.dat", false},  // no data
        {"ISODrive.sys", false},
        {"", false},
    };
    CResourceArchive archive(files_);
    ASSERT_TRUE(Load(archive, Archive()));
    int n = 0;
    for (const NameCase& c : cases) {
        std::string folder = "T:\\case" + std::to_string(n++);
        std::string target = folder + "\\sub\\out.bin";
        uint64_t written = archive.ExtractFile(c.name, target);
        if (c.found) {
            std::string expected = FixtureBytes(c.name);
            EXPECT_EQ(written, expected.size()) << c.name;
            EXPECT_EQ(Read(target), expected) << c.name;
        } else {
            EXPECT_EQ(written, 0u) << c.name;
            EXPECT_FALSE(Exists(folder)) << c.name << ": nothing may be created";
        }
    }
}

TEST_F(PayloadTest, ExtractCreatesEveryMissingFolder) {
    const char* targets[] = {
        "T:\\a\\b\\c\\grub.mbr",
        "T:\\tmp\\\\download\\\\atl71.dll",  // a folder path ending in "\" followed by "\download\..."
        "T:\\\\\\lead\\grub.mbr",
        "T:/forward/slashes/grub.mbr",
        "T:\\mixed/separators\\grub.mbr",
        "T:\\grub.mbr",
    };
    CResourceArchive archive(files_);
    ASSERT_TRUE(Load(archive, Archive()));
    fs::create_directories(Host("T:\\tmp"));
    std::string expected = FixtureBytes("xp/grub.mbr");
    for (const char* target : targets) {
        EXPECT_EQ(archive.ExtractFile("xp/grub.mbr", target), 8192u) << target;
        EXPECT_EQ(Read(target), expected) << target;
    }
    EXPECT_TRUE(fs::is_directory(Host("T:\\tmp\\download")));
}

TEST_F(PayloadTest, ExtractReplacesAnExistingFile) {
    CResourceArchive archive(files_);
    ASSERT_TRUE(Load(archive, Archive()));
    std::string target = "T:\\boot\\grub.mbr";
    fs::create_directories(Host("T:\\boot"));
    std::ofstream(Host(target), std::ios::binary) << std::string(20000, 'x');
    EXPECT_EQ(archive.ExtractFile("xp/grub.mbr", target), 8192u);
    EXPECT_EQ(Read(target), FixtureBytes("xp/grub.mbr"));
}

// File operations that refuse to make the folders a test names.
class RefusingFolders : public HostFileSystem {
public:
    using HostFileSystem::HostFileSystem;
    Status makeDirectory(const std::string& path) override {
        if (refused.count(path)) return Failure{"create folder", path, errors::kAccessDenied};
        return HostFileSystem::makeDirectory(path);
    }
    std::set<std::string> refused;
};

TEST_F(PayloadTest, ExtractYieldsZeroWhenTheTargetCannotBeMade) {
    RefusingFolders files(root_);
    files.refused = {"T:\\made\\refused"};
    CResourceArchive archive(files);
    ASSERT_TRUE(Load(archive, Archive()));

    // A folder that cannot be made: the ones made before it stay.
    EXPECT_EQ(archive.ExtractFile("xp/grub.mbr", "T:\\made\\refused\\deeper\\grub.mbr"), 0u);
    EXPECT_TRUE(fs::is_directory(Host("T:\\made")));
    EXPECT_FALSE(Exists("T:\\made\\refused"));

    // A file where a folder should be.
    std::ofstream(Host("T:\\blocker"), std::ios::binary) << "file";
    EXPECT_EQ(archive.ExtractFile("xp/grub.mbr", "T:\\blocker\\grub.mbr"), 0u);
    EXPECT_EQ(Read("T:\\blocker"), "file");

    // A folder where the file should be.
    fs::create_directories(Host("T:\\taken"));
    EXPECT_EQ(archive.ExtractFile("xp/grub.mbr", "T:\\taken"), 0u);
    EXPECT_TRUE(fs::is_directory(Host("T:\\taken")));

    // A drive that is not there.
    EXPECT_EQ(archive.ExtractFile("xp/grub.mbr", "Q:\\grub.mbr"), 0u);
}

TEST_F(PayloadTest, AnArchiveThatDoesNotOpenYieldsNothing) {
    const std::string archiveBytes = Archive();
    const std::string cases[] = {
        "",
        "7z",
        std::string("7z\xBC\xAF\x27\x1C", 6),
        std::string(4096, '\0'),
        "PK\x03\x04 not a 7z archive at all",
        archiveBytes.substr(0, archiveBytes.size() / 2),
    };
    for (const std::string& bytes : cases) {
        CResourceArchive archive(files_);
        // A good load first: a failed one after it must leave nothing behind.
        ASSERT_TRUE(Load(archive, archiveBytes));
        EXPECT_FALSE(Load(archive, bytes)) << bytes.size();
        EXPECT_TRUE(archive.Entries().empty());
        for (const FixtureFile& f : kFiles) {
            EXPECT_EQ(archive.ExtractFile(f.entry, std::string("T:\\out\\") + f.file), 0u);
        }
        EXPECT_FALSE(Exists("T:\\out"));
    }
    CResourceArchive neverLoaded(files_);
    EXPECT_EQ(neverLoaded.ExtractFile("xp/grub.mbr", "T:\\out\\grub.mbr"), 0u);
    EXPECT_FALSE(Exists("T:\\out"));
}

enum class Outcome { kRefused, kPartial, kBlock0Only };

struct Damage {
    const char* what;
    std::function<size_t(const Layout&, const std::string&)> where;
    bool truncate;  // cut the archive here instead of flipping the byte
    Outcome outcome;
};

TEST_F(PayloadTest, DamagedArchivesLoadPartlyOrNotAtAll) {
    const std::string& good = Archive();
    const Layout layout = ReadLayout(good);
    using L = const Layout&;
    using B = const std::string&;
    const Damage cases[] = {
        {"cut in the signature", [](L, B) { return size_t(3); }, true, Outcome::kRefused},
        {"cut in the start header", [](L, B) { return size_t(31); }, true, Outcome::kRefused},
        {"cut after the start header", [](L, B) { return size_t(32); }, true, Outcome::kRefused},
        {"cut in block 0", [](L l, B) { return size_t(l.blockBytes[0].first + 100); }, true, Outcome::kRefused},
        {"cut in block 1", [](L l, B) { return size_t(l.blockBytes[1].second - 100); }, true, Outcome::kRefused},
        {"cut in the packed header", [](L l, B) { return size_t(l.nextHeader - 10); }, true, Outcome::kRefused},
        {"cut in the header", [](L l, B) { return size_t(l.nextHeader + l.nextHeaderSize / 2); }, true,
         Outcome::kRefused},
        {"cut before the last byte", [](L, B b) { return b.size() - 1; }, true, Outcome::kRefused},
        {"signature", [](L, B) { return size_t(0); }, false, Outcome::kRefused},
        {"major version", [](L, B) { return size_t(6); }, false, Outcome::kRefused},
        {"start header CRC", [](L, B) { return size_t(9); }, false, Outcome::kRefused},
        {"header offset", [](L, B) { return size_t(12); }, false, Outcome::kRefused},
        {"header size", [](L, B) { return size_t(20); }, false, Outcome::kRefused},
        {"packed header", [](L l, B) { return size_t(l.nextHeader - 10); }, false, Outcome::kRefused},
        {"header", [](L l, B) { return size_t(l.nextHeader + 2); }, false, Outcome::kRefused},
        {"start of block 0", [](L l, B) { return size_t(l.blockBytes[0].first + 5); }, false, Outcome::kPartial},
        {"middle of block 0", [](L l, B) { return size_t((l.blockBytes[0].first + l.blockBytes[0].second) / 2); },
         false, Outcome::kPartial},
        {"start of block 1", [](L l, B) { return size_t(l.blockBytes[1].first + 5); }, false,
         Outcome::kBlock0Only},
        {"end of block 1", [](L l, B) { return size_t(l.blockBytes[1].second - 3); }, false,
         Outcome::kBlock0Only},
    };
    size_t block0Files = 0, dataFiles = 0;
    for (const FixtureFile& f : kFiles) {
        if (layout.blockOf.at(f.entry) == 0) ++block0Files;
        if (layout.blockOf.at(f.entry) != UINT32_MAX) ++dataFiles;
    }
    for (const Damage& d : cases) {
        std::string bytes = good;
        size_t at = d.where(layout, good);
        ASSERT_LT(at, bytes.size()) << d.what;
        if (d.truncate) bytes.resize(at);
        else bytes[at] = static_cast<char>(bytes[at] ^ 0x55);

        CResourceArchive archive(files_);
        bool loaded = Load(archive, bytes);
        ExpectRecordsTrue(archive);
        size_t withData = 0, ofBlock0 = 0;
        for (const ArchiveEntry& e : archive.Entries()) {
            if (e.size) ++withData;
            if (layout.blockOf.at(text::Utf16ToUtf8(e.name)) == 0) ++ofBlock0;
        }
        switch (d.outcome) {
            case Outcome::kRefused:
                EXPECT_FALSE(loaded) << d.what;
                EXPECT_TRUE(archive.Entries().empty()) << d.what;
                break;
            case Outcome::kPartial:
                EXPECT_TRUE(loaded) << d.what;
                EXPECT_LT(ofBlock0, block0Files) << d.what;
                EXPECT_LT(withData, dataFiles) << d.what;
                break;
            case Outcome::kBlock0Only:
                EXPECT_TRUE(loaded) << d.what;
                EXPECT_EQ(ofBlock0, block0Files) << d.what;
                EXPECT_EQ(withData, block0Files) << d.what;
                break;
        }
    }
}

// Every byte of the start header and of the header, flipped in turn: the
// load is refused or yields true records, under the sanitizers.
TEST_F(PayloadTest, FlipsInTheHeadersNeverYieldFalseRecords) {
    const std::string& good = Archive();
    const Layout layout = ReadLayout(good);
    std::vector<size_t> offsets;
    for (size_t i = 0; i < 32; ++i) offsets.push_back(i);
    for (size_t i = layout.nextHeader; i < good.size(); ++i) offsets.push_back(i);
    for (size_t at : offsets) {
        for (uint8_t mask : {0x01, 0x80, 0xFF}) {
            std::string bytes = good;
            bytes[at] = static_cast<char>(bytes[at] ^ mask);
            CResourceArchive archive(files_);
            Load(archive, bytes);
            ExpectRecordsTrue(archive);
        }
    }
}

TEST_F(PayloadTest, ThreadsLoadTheirOwnObjectsAtOnce) {
    constexpr int kThreads = 4;
    std::vector<size_t> counts(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            HostFileSystem files(root_);
            CResourceArchive archive(files);
            if (Load(archive, Archive())) counts[t] = archive.Entries().size();
        });
    }
    for (std::thread& t : threads) t.join();
    for (size_t count : counts) EXPECT_EQ(count, std::size(kFiles));
}

}  // namespace
}  // namespace qnb
