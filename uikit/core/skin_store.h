// The skin: layout files and pictures read from a 7z archive (the
// program's "ZIPRES" resource), found by their exact entry names
// ("skin/MainDlg.xml"); and the way a window's layout is read from it.
#pragma once

#include "payload/resource_archive.h"
#include "uikit/core/layout_document.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace uikit {

class SkinStore {
public:
    SkinStore();
    ~SkinStore();

    // Unpacks the whole archive; false when it cannot be opened.
    bool LoadFromMemory(const uint8_t* bytes, size_t size);
#ifdef _WIN32
    // The archive in a resource of the program's own module.
    bool LoadFromResource(int id, const wchar_t* type);
#endif
    bool IsLoaded() const { return !entries_.empty(); }

    // The bytes of an entry, or nullptr when there is no such entry.
    const std::string_view* Find(std::string_view name) const;

    // The entry name of a file a window refers to: names that already start
    // with the window's skin folder are taken as they are ("skin/ver12.png"),
    // others are in it ("ver1.png" → "skin/ver1.png"). Paths of files on a
    // disk ("C:\...", "\\server\...") stay as they are.
    static std::string Resolve(std::string_view skinFolder, std::string_view file);
    static bool IsDiskPath(std::string_view file);

    // Entry names, for checks.
    std::vector<std::string> Names() const;

private:
    void Index();

    class NoFiles;
    std::unique_ptr<NoFiles> noFiles_;
    std::unique_ptr<qnb::CResourceArchive> archive_;
    std::map<std::string, std::string_view, std::less<>> entries_;
};

// The file of a skin folder that every window reads before its own layout:
// the fonts and defaults all windows share.
constexpr std::string_view kSharedStylesFile = "global.xml";

// The bytes of a skin entry, or nullptr: SkinStore::Find, or a stand-in.
using SkinLookup = std::function<const std::string_view*(std::string_view name)>;

// A window's layout as the skin gives it: the skin folder's global.xml, then
// the window's file, with the shared fonts and defaults before its own
// (ApplySharedStyles). False with a reason that names the file when either
// is missing or bad.
bool ReadWindowLayout(const SkinLookup& find, std::string_view skinFolder, std::string_view file,
                      LayoutDocument* document, std::string* error);

}  // namespace uikit
