#include "installer/payload_files.h"

#include "platform/text.h"

namespace qnb::installer {

bool ArchivePayloadFiles::Has(const std::string& entry) {
    const std::u16string wanted = text::Utf8ToUtf16(entry);
    for (const ArchiveEntry& e : archive_->Entries()) {
        if (e.name == wanted) return e.size > 0;
    }
    return false;
}

uint64_t ArchivePayloadFiles::Extract(const std::string& entry, const std::string& target) {
    return archive_->ExtractFile(entry, target);
}

#ifdef _WIN32
std::unique_ptr<PayloadFiles> OpenProgramPayload(FileSystem& files) {
    auto archive = std::make_unique<CResourceArchive>(files);
    if (!archive->LoadFromResource(CResourceArchive::kPayloadId, CResourceArchive::kPayloadType)) return nullptr;
    return std::make_unique<ArchivePayloadFiles>(std::move(archive));
}
#endif

}  // namespace qnb::installer
