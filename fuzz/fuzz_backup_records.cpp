// Record.json is read from the workspace, where anything may have put it:
// any bytes give records or none without a fault, every record has its
// list text, and a name taken as plain never leaves its folder.
#include "ui/restore/backup_records.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qnb::ui;
    std::vector<BackupRecord> records = ParseBackupRecords(std::string_view(reinterpret_cast<const char*>(data), size));
    for (int64_t offset : {8 * 3600, -12 * 3600, 14 * 3600}) {
        if (BackupRowTexts(records, FixedOffsetDate(offset)).size() != records.size()) std::abort();
    }
    for (const BackupRecord& r : records) {
        int64_t t = ParseRecordTime(r.time);
        if (t < 0 || t > kLatestRecordTime) std::abort();
        for (const std::string* name : {&r.file, &r.pic}) {
            if (IsPlainFileName(*name) && name->find_first_of("\\/:") != std::string::npos) std::abort();
            if (IsPlainFileName(*name) && (*name == "." || *name == "..")) std::abort();
        }
        ImagePathOf(r, "D:\\Quenbrook\\Data\\");
    }
    return 0;
}
