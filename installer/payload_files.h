// The boot files the installer takes from the payload archive inside the
// program (resource 135): boot.sdi and, for Windows XP, GRUB4DOS, bootmgr
// and its prepared store. Tests give a table of files instead.
#pragma once

#include "payload/resource_archive.h"
#include "platform/file_system.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qnb::installer {

// Entry names.
constexpr char kBootSdiEntry[] = "xp/boot/boot.sdi";
constexpr char kGrubMbrEntry[] = "xp/grub.mbr";
constexpr char kGrldrEntry[] = "xp/grldr";
constexpr char kBootmgrEntry[] = "xp/bootmgr";
constexpr char kXpBcdEntry[] = "xp/boot/bcd";

class PayloadFiles {
public:
    virtual ~PayloadFiles() = default;
    // The archive has the entry, with data.
    virtual bool Has(const std::string& entry) = 0;
    // Writes the entry to target (whole or not at all); the bytes written,
    // 0 when the entry is missing or the file cannot be written.
    virtual uint64_t Extract(const std::string& entry, const std::string& target) = 0;
};

// Opens the payload once per use; nothing when the program carries none.
using PayloadOpener = std::function<std::unique_ptr<PayloadFiles>()>;

// A loaded archive as the installer's payload.
class ArchivePayloadFiles : public PayloadFiles {
public:
    explicit ArchivePayloadFiles(std::unique_ptr<CResourceArchive> archive) : archive_(std::move(archive)) {}
    bool Has(const std::string& entry) override;
    uint64_t Extract(const std::string& entry, const std::string& target) override;

private:
    std::unique_ptr<CResourceArchive> archive_;
};

#ifdef _WIN32
// The program's own payload (resource 135 "DATA"), written through files;
// nothing when the program carries none.
std::unique_ptr<PayloadFiles> OpenProgramPayload(FileSystem& files);
#endif

}  // namespace qnb::installer
