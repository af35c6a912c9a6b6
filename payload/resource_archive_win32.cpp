// The payload archive read from the program's own resources.
#include "payload/resource_archive.h"

#include <windows.h>

namespace qnb {

bool CResourceArchive::LoadFromResource(int id, const wchar_t* type) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found) {
        Clear();
        return false;
    }
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    DWORD size = SizeofResource(module, found);
    if (!bytes || size == 0) {
        Clear();
        return false;
    }
    return LoadFromMemory(static_cast<const uint8_t*>(bytes), size);
}

}  // namespace qnb
