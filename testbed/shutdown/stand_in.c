/* A stand-in for a program the assistant starts but the test bed must not
   run (test builds only): shutdown.exe in the Wine prefix's system folder,
   the environment's X:\windows\changeDesk.exe. It does nothing but write
   its arguments, one line per run, to NAME.log beside itself (shutdown.log,
   changeDesk.log). */
#include <windows.h>

#include <stdio.h>
#include <wchar.h>

int wmain(void) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    wchar_t* slash = wcsrchr(path, L'\\');
    wchar_t* dot = slash ? wcsrchr(slash, L'.') : NULL;
    if (!length || length >= MAX_PATH - 4 || !slash) return 1;
    wcscpy(dot ? dot : path + length, L".log");

    const wchar_t* line = GetCommandLineW();
    /* The program itself, quoted or not, and the blanks after it. */
    if (*line == L'"') {
        const wchar_t* end = wcschr(line + 1, L'"');
        line = end ? end + 1 : line + wcslen(line);
    } else {
        while (*line && *line != L' ' && *line != L'\t') ++line;
    }
    while (*line == L' ' || *line == L'\t') ++line;

    char text[4096];
    int size = WideCharToMultiByte(CP_UTF8, 0, line, -1, text, sizeof text - 1, NULL, NULL);
    if (size <= 0) return 1;
    text[size - 1] = '\n';
    FILE* log = _wfopen(path, L"ab");
    if (!log) return 1;
    fwrite(text, 1, (size_t)size, log);
    fclose(log);
    return 0;
}
