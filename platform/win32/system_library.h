// Libraries of the system folder, and the rules for loading any library in
// a program that runs elevated: a DLL of a common name beside the program
// (a Downloads folder, the workspace copy) would otherwise run with
// administrator rights.
#pragma once

#include "platform/win32/handles.h"

#include <windows.h>

namespace qnb::win32 {

// Restricts where the process looks for libraries loaded by name to the
// system folder (SetDefaultDllDirectories, where the system has it: Windows
// 8, Windows 7 and Vista with KB2533623); elsewhere at least takes the
// current folder out of the search (SetDllDirectory with ""). Returns true
// when the search is restricted to the system folder. To be called first
// thing in WinMain.
bool RestrictLibrarySearch();

// A library of the system folder, loaded by full path, its own
// dependencies looked for beside it first. Null when there is none.
UniqueModule LoadSystemLibrary(const wchar_t* name);

// A function of a loaded library; null when module or function is missing.
template <typename F>
F LibraryFunction(const UniqueModule& module, const char* name) {
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module.get(), name))) : nullptr;
}

}  // namespace qnb::win32
