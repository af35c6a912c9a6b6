// SETTING.JSON: what the preinstallation environment is to do after the
// restart. Its keys, types and byte layout are the contract with that
// environment, which reads the file with jsoncpp in the ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace qnb {

constexpr char kHandoffFileName[] = "SETTING.JSON";

// The values of the file. Texts are UTF-8 here and ANSI in the file.
struct HandoffValues {
    bool repart = false;        // bRepart: repartition first (carried over from an earlier file only)
    int repartDisk = -1;        // nRepartDisk      } written only when repart is true
    std::string repartScript;   // strRepartScript  }
    bool repartGpt = false;     // bRepartGPT       }
    int selDisk = -1;           // nSelDisk: the system disk   } written only when repart is false
    int selPar = -1;            // nSelPar: the system partition }
    std::string imagePath;      // strImagePath: full path of a local image, else a name in the workspace
    bool localImage = false;    // bLocalImage
    int wimPart = 0;            // nWIMPart: image index inside the WIM or ISO
    bool sameDisk = true;       // bSameDisk: the workspace lies on the system disk
    int option = -1;            // Option: 0 reinstall, 1 system backup, 2 restore
    std::string qqLogFolder;    // QQLogFolder
    std::string localPeUrl;     // LocalPeUrl: the package URL last received
    bool showedNote = false;    // bShowedNote
    // SoftCount is always written as 0.
};

// The file's bytes: jsoncpp's styled layout (three-space indentation, keys
// in byte order), texts as raw ANSI bytes, CR LF line ends.
std::string RenderHandoff(const HandoffValues& values);

// Takes over what survives from an earlier file: the repartition group or
// the target disk and partition, bSameDisk, LocalPeUrl and bShowedNote; the
// image choice is reset. Values are read with the JSON library's own
// conversions ("bRepart": 1 is true); a value it cannot convert reads as a
// missing key, and missing keys read as false, 0 or "". A repartition
// request is carried over only whole: without a disk number, a script and
// a partition style that convert, bRepart reads as false and the target
// stays as the inventory found it. A file that does not parse (or passes
// the bounded reader's limits) changes nothing and yields false.
bool ApplyEarlierHandoff(std::string_view fileBytes, HandoffValues& values);

}  // namespace qnb
