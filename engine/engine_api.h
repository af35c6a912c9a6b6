// The download engine library's interface (xldl.dll): seven functions and two
// records, shared by the library and the program that loads it. The layouts
// are fixed byte for byte in both bitnesses; strings are UTF-16 and
// NUL-terminated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qnb::engine {

// One calling convention on both sides: stdcall on i686 (where the linker's
// --kill-at still exports plain names, "XL_Init" and not "XL_Init@0"; see
// engine/CMakeLists.txt), the only convention on x86_64.
#if defined(_WIN32) && defined(__i386__)
#define QNB_ENGINE_CALL __stdcall
#else
#define QNB_ENGINE_CALL
#endif

// Status values of EngineTaskInfo::status.
enum EngineStatus : int32_t {
    kStatusNoTask = 0,       // the handle names no task
    kStatusError = 1,        // the last run failed (errorCode says why)
    kStatusPaused = 2,       // stopped by XL_StopTask
    kStatusDownloading = 3,  // started: connecting, receiving or finishing
    kStatusComplete = 4,     // the file is in place under its final name
    kStatusCreated = 5,      // created, not started yet (a pending state)
};

// Why a task's last run failed (EngineTaskInfo::errorCode); 0 while none has.
enum EngineError : int32_t {
    kErrorNone = 0,
    kErrorConnect = 1,    // no connection (refused, unknown host, timeout before an answer)
    kErrorHttp = 2,       // the server answered with an error status
    kErrorTransfer = 3,   // the connection broke or timed out while receiving
    kErrorProtocol = 4,   // an answer that does not fit the request (range, length)
    kErrorDiskFull = 5,   // the disk has no room for the file
    kErrorFile = 6,       // the file could not be created, written or renamed
    kErrorUrl = 7,        // the address cannot be used (not http or https)
};

// What the engine keeps beside the target while a download is not complete
// ("<target>.qnbdl" and "<target>.qnbdl.ctl"): whoever gives up on a
// download removes them with it.
constexpr char kPartSuffix[] = ".qnbdl";
constexpr char kControlSuffix[] = ".qnbdl.ctl";

constexpr size_t kUrlUnits = 2084;
constexpr size_t kCookieUnits = 4096;
constexpr size_t kPathUnits = 260;

// The record passed to XL_CreateTask (26,564 bytes). Every byte not named
// here is 0.
struct EngineTaskParams {
    uint32_t reserved0;                // 0
    char16_t url[kUrlUnits];           // 4: the address to download
    char16_t referer[kUrlUnits];       // 4172: referring page (empty)
    char16_t cookies[kCookieUnits];    // 8340: cookies (empty)
    char16_t fileName[kPathUnits];     // 16532: the file name to save under
    char16_t reserved1[kPathUnits];    // 17052
    char16_t folder[kPathUnits];       // 17572: the folder to save into, ending with "\"
    uint8_t reserved2[264];            // 18092
    uint32_t onlyOriginal;             // 18356: 0 = sources other than the address may be used
    uint8_t reserved3[8];              // 18360
    uint32_t resume;                   // 18368: 1 = resuming is enabled
    uint8_t reserved4[8192];           // 18372
};

// The record XL_QueryTaskInfoEx fills (1,432 bytes).
struct EngineTaskInfo {
    int32_t status;                    // 0: EngineStatus
    int32_t errorCode;                 // 4: EngineError of the last failed run
    char16_t fileName[kPathUnits];     // 8: the name the engine saves the download under
    uint8_t reserved1[520];            // 528
    uint64_t totalBytes;               // 1048: size of the file, 0 while unknown
    uint64_t doneBytes;                // 1056: bytes downloaded so far
    float progress;                    // 1064: doneBytes / totalBytes, 0..1
    uint8_t reserved2[84];             // 1068
    uint32_t speed;                    // 1152: bytes per second, over the last seconds
    uint8_t reserved3[276];            // 1156
};

static_assert(sizeof(EngineTaskParams) == 26564);
static_assert(offsetof(EngineTaskParams, url) == 4);
static_assert(offsetof(EngineTaskParams, referer) == 4172);
static_assert(offsetof(EngineTaskParams, cookies) == 8340);
static_assert(offsetof(EngineTaskParams, fileName) == 16532);
static_assert(offsetof(EngineTaskParams, reserved1) == 17052);
static_assert(offsetof(EngineTaskParams, folder) == 17572);
static_assert(offsetof(EngineTaskParams, reserved2) == 18092);
static_assert(offsetof(EngineTaskParams, onlyOriginal) == 18356);
static_assert(offsetof(EngineTaskParams, reserved3) == 18360);
static_assert(offsetof(EngineTaskParams, resume) == 18368);
static_assert(offsetof(EngineTaskParams, reserved4) == 18372);

static_assert(sizeof(EngineTaskInfo) == 1432);
static_assert(offsetof(EngineTaskInfo, status) == 0);
static_assert(offsetof(EngineTaskInfo, errorCode) == 4);
static_assert(offsetof(EngineTaskInfo, fileName) == 8);
static_assert(offsetof(EngineTaskInfo, totalBytes) == 1048);
static_assert(offsetof(EngineTaskInfo, doneBytes) == 1056);
static_assert(offsetof(EngineTaskInfo, progress) == 1064);
static_assert(offsetof(EngineTaskInfo, speed) == 1152);

// The text of a NUL-terminated UTF-16 field, cut at the field's size.
inline std::u16string FieldText(const char16_t* field, size_t units) {
    size_t length = 0;
    while (length < units && field[length] != 0) ++length;
    return std::u16string(field, length);
}

// The task handle: opaque and pointer-sized. Handles the library did not
// give out (or has deleted) are refused, never followed.
using EngineHandle = void*;

// The exported functions, looked up by these names. BOOL results are
// nonzero on success.
using XL_Init_t = int(QNB_ENGINE_CALL*)();
using XL_UnInit_t = int(QNB_ENGINE_CALL*)();
using XL_CreateTask_t = EngineHandle(QNB_ENGINE_CALL*)(const EngineTaskParams* params);
using XL_StartTask_t = int(QNB_ENGINE_CALL*)(EngineHandle task);
using XL_QueryTaskInfoEx_t = int(QNB_ENGINE_CALL*)(EngineHandle task, EngineTaskInfo* info);
using XL_StopTask_t = int(QNB_ENGINE_CALL*)(EngineHandle task);
using XL_DeleteTask_t = int(QNB_ENGINE_CALL*)(EngineHandle task);

}  // namespace qnb::engine
