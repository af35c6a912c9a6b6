// The boot-store changes on Vista and later, as the argument lists of
// bcdedit.exe: a pure function of the mode, the system drive, the system
// disk's partition style and whether the store was exported before.
#pragma once

#include "installer/pe_install_mode.h"

#include <string>
#include <vector>

namespace qnb::installer {

// The boot entry's identifier: the same in every run and every mode, so a
// later run (and the undo) finds the entry without reading bcdedit's output.
constexpr char kEntryId[] = "{f608441b-6975-4520-acb1-cda95d61e991}";
constexpr char kEntryDescription[] = "TessalyPE";

struct BcdeditRow {
    int number;            // the row of the sequence (9 is winload.efi or winload.exe)
    std::string arguments;  // what follows "bcdedit.exe " on the command line
    // The rows that make and point the entry: when one fails, the entry is
    // deleted again. The others may fail on a repeated run (the entry or
    // {ramdiskoptions} are there already) and are not looked at.
    bool checked;
};

// The sequence, in order. letter is the system drive; backupExists tells
// whether "<letter>:\QNBPE\boot\BCD_backup" is there (the store is exported
// only once).
std::vector<BcdeditRow> BcdeditRows(PeInstallMode mode, char letter, bool systemDiskIsGpt, bool backupExists);

// Deletes the entry again (after a failed checked row, and by the undo),
// also from the display order.
std::string DeleteEntryArguments();
// The running Windows starts by default again (the undo).
constexpr char kDefaultCurrentArguments[] = "/default {current}";

// The folder on the system drive that holds boot.wim and boot.sdi: "C:\QNBPE\boot\".
std::string PeFolder(char letter);

}  // namespace qnb::installer
