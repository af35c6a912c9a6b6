#include "installer/bcdedit_rows.h"

namespace qnb::installer {

std::string PeFolder(char letter) { return std::string(1, letter) + ":\\QNBPE\\boot\\"; }

std::string DeleteEntryArguments() { return std::string("/delete ") + kEntryId + " /cleanup"; }

std::vector<BcdeditRow> BcdeditRows(PeInstallMode mode, char letter, bool systemDiskIsGpt, bool backupExists) {
    const std::string id = kEntryId;
    const std::string drive(1, letter);
    const std::string ramdisk = "ramdisk=[" + drive + ":]\\QNBPE\\boot\\boot.wim,{ramdiskoptions}";
    const bool reinstall = ModeOf(mode).extraBcdeditRows;

    std::vector<BcdeditRow> rows = {
        {1, DeleteEntryArguments(), false},
        {2, "/create {ramdiskoptions}", false},
        // 3 then 4: the element ends up naming the system partition.
        {3, "/set {ramdiskoptions} ramdisksdidevice boot", false},
        {4, "/set {ramdiskoptions} ramdisksdidevice partition=" + drive + ":", false},
        {5, "/set {ramdiskoptions} ramdisksdipath \\QNBPE\\boot\\boot.sdi ", false},
        {6, "/create " + id + " /d \"" + kEntryDescription + "\" /application OSLOADER", true},
        {7, "/set " + id + " device " + ramdisk, true},
        {8, "/set " + id + " osdevice " + ramdisk, true},
        {9, "/set " + id + " path \\windows\\system32\\boot\\" + (systemDiskIsGpt ? "winload.efi" : "winload.exe"),
         true},
        {10, "/set " + id + " systemroot \\windows", true},
        {11, "/set " + id + " detecthal yes", false},
        {12, "/set " + id + " winpe yes", true},
        {13, "/displayorder " + id + " /addfirst", true},
    };
    if (reinstall) rows.push_back({14, "/timeout 3", false});
    if (!backupExists) rows.push_back({15, "/export " + drive + ":\\QNBPE\\boot\\BCD_backup", false});
    rows.push_back({16, "/timeout 3", false});
    rows.push_back({17, "/default " + id, true});
    if (reinstall) rows.push_back({18, "/set {bootmgr} displaybootmenu yes", false});
    return rows;
}

}  // namespace qnb::installer
