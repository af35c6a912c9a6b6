// The Windows error codes that portable code, the host twins and the fakes
// give or look for, with winerror.h's values (pinned against it in the
// Windows build), so that native tests see what Windows would report.
#pragma once

#include <cstdint>

namespace qnb::errors {

constexpr uint32_t kFileNotFound = 2;         // ERROR_FILE_NOT_FOUND
constexpr uint32_t kPathNotFound = 3;         // ERROR_PATH_NOT_FOUND
constexpr uint32_t kAccessDenied = 5;         // ERROR_ACCESS_DENIED
constexpr uint32_t kDataError = 23;           // ERROR_CRC: the bytes are not the ones they should be
constexpr uint32_t kNotSameDevice = 17;       // ERROR_NOT_SAME_DEVICE
constexpr uint32_t kFileExists = 80;          // ERROR_FILE_EXISTS
constexpr uint32_t kGenFailure = 31;          // ERROR_GEN_FAILURE: no closer code
constexpr uint32_t kNotSupported = 50;        // ERROR_NOT_SUPPORTED
constexpr uint32_t kInvalidParameter = 87;    // ERROR_INVALID_PARAMETER
constexpr uint32_t kDiskFull = 112;           // ERROR_DISK_FULL
constexpr uint32_t kInvalidName = 123;        // ERROR_INVALID_NAME
constexpr uint32_t kDirNotEmpty = 145;        // ERROR_DIR_NOT_EMPTY
constexpr uint32_t kBadPathname = 161;        // ERROR_BAD_PATHNAME
constexpr uint32_t kAlreadyExists = 183;      // ERROR_ALREADY_EXISTS
constexpr uint32_t kDirectory = 267;          // ERROR_DIRECTORY: not a folder
constexpr uint32_t kRequestAborted = 1235;    // ERROR_REQUEST_ABORTED: a copy cancelled by its progress
constexpr uint32_t kDatatypeMismatch = 1629;  // ERROR_DATATYPE_MISMATCH: a value of another type
constexpr uint32_t kHresultFileNotFound = 0x80070002;  // HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)

}  // namespace qnb::errors
