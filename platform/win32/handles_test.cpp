// The handle owners on a real (Wine) system: each kind takes its own API's
// failure value as "no handle", and a handle is closed exactly once.
#include "platform/win32/handles.h"

#include <gtest/gtest.h>

namespace qnb::win32 {
namespace {

bool Open(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != 0;
}

bool Open(HKEY key) { return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                              nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS; }

UniqueHandle NewEvent() { return UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

struct Sockets {
    Sockets() {
        WSADATA data;
        started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~Sockets() {
        if (started) WSACleanup();
    }
    bool started;
};

// Every owner, given what its API returns on failure, holds no handle. An
// owner whose "no handle" value were the other one (NULL for
// INVALID_HANDLE_VALUE or back) would take the failure for a handle and
// close it.
TEST(HandleOwners, EachKindKnowsItsApisFailureValue) {
    EXPECT_FALSE(UniqueFile(CreateFileW(L"C:\\qnb-no-such-folder\\a.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr)));
    UniqueFile nullFile(nullptr);
    EXPECT_TRUE(nullFile) << "NULL is no failure value of CreateFile";
    (void)nullFile.release();

    EXPECT_FALSE(UniqueHandle(OpenMutexW(SYNCHRONIZE, FALSE, L"qnb-no-such-mutex")));
    UniqueHandle currentProcess(GetCurrentProcess());  // the pseudo handle is INVALID_HANDLE_VALUE's bits
    EXPECT_TRUE(currentProcess) << "INVALID_HANDLE_VALUE is no failure value of OpenMutex, CreateThread...";
    (void)currentProcess.release();

    WIN32_FIND_DATAW found;
    EXPECT_FALSE(UniqueFindFile(FindFirstFileW(L"C:\\qnb-no-such-folder\\*", &found)));
    wchar_t volume[1];
    EXPECT_FALSE(UniqueFindVolume(FindFirstVolumeW(volume, 1)));

    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\qnb-no-such-key", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_FALSE(UniqueRegistryKey(key));

    UniqueServiceHandle manager(OpenSCManagerW(nullptr, SERVICES_ACTIVE_DATABASEW, SC_MANAGER_CONNECT));
    ASSERT_TRUE(manager);
    EXPECT_FALSE(UniqueServiceHandle(OpenServiceW(manager.get(), L"qnb-no-such-service", SERVICE_QUERY_STATUS)));

    Sockets sockets;
    ASSERT_TRUE(sockets.started);
    EXPECT_FALSE(UniqueSocket(::socket(-1, SOCK_STREAM, 0)));
    EXPECT_FALSE(UniqueSocket(INVALID_SOCKET));

    EXPECT_FALSE(UniqueInternetHandle(WinHttpConnect(nullptr, L"localhost", 80, 0)));
    EXPECT_FALSE(UniqueModule(LoadLibraryW(L"qnb-no-such-library.dll")));
    EXPECT_FALSE(UniqueLocalMemory(nullptr));
    EXPECT_FALSE(UniqueGdiObject<HRGN>(nullptr));
    EXPECT_FALSE(UniqueMemoryDc(nullptr));
}

TEST(HandleOwners, CloseWhatTheyHoldOnce) {
    HANDLE raw;
    {
        UniqueHandle event = NewEvent();
        raw = event.get();
        ASSERT_TRUE(Open(raw));
    }
    EXPECT_FALSE(Open(raw));

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_READ, &key), ERROR_SUCCESS);
    {
        UniqueRegistryKey owner(key);
        ASSERT_TRUE(Open(key));
    }
    EXPECT_FALSE(Open(key));

    Sockets sockets;
    ASSERT_TRUE(sockets.started);
    SOCKET s;
    {
        UniqueSocket owner(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        ASSERT_TRUE(owner);
        s = owner.get();
    }
    int type = 0, size = sizeof type;
    EXPECT_EQ(getsockopt(s, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &size), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);

    HRGN region;
    {
        UniqueGdiObject<HRGN> owner(CreateRectRgn(0, 0, 4, 4));
        region = owner.get();
        ASSERT_EQ(GetObjectType(region), static_cast<DWORD>(OBJ_REGION));
    }
    EXPECT_EQ(GetObjectType(region), 0u);

    HDC dc;
    {
        UniqueMemoryDc owner(CreateCompatibleDC(nullptr));
        dc = owner.get();
        ASSERT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    }
    EXPECT_EQ(GetObjectType(dc), 0u);
}

TEST(HandleOwners, MovesHandOverAndResetCloses) {
    UniqueHandle first = NewEvent();
    HANDLE a = first.get();
    ASSERT_TRUE(first);

    UniqueHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(first.get(), nullptr);
    EXPECT_EQ(second.get(), a);
    EXPECT_TRUE(Open(a));

    UniqueHandle third = NewEvent();
    HANDLE b = third.get();
    third = std::move(second);  // b is closed, a changes hands
    EXPECT_FALSE(Open(b));
    EXPECT_EQ(third.get(), a);
    EXPECT_TRUE(Open(a));

    UniqueHandle& same = third;
    third = std::move(same);
    EXPECT_TRUE(Open(a)) << "moving an owner onto itself keeps its handle";

    UniqueHandle fourth = NewEvent();
    HANDLE c = fourth.get();
    third.reset(c);
    (void)fourth.release();
    EXPECT_FALSE(Open(a));
    EXPECT_TRUE(Open(c));
    third.reset();
    EXPECT_FALSE(Open(c));
    EXPECT_FALSE(third);
}

TEST(HandleOwners, ReleaseLeavesTheHandleOpen) {
    HANDLE raw;
    {
        UniqueHandle event = NewEvent();
        raw = event.release();
        EXPECT_FALSE(event);
    }
    EXPECT_TRUE(Open(raw));
    CloseHandle(raw);

    UniqueFile none;
    EXPECT_EQ(none.release(), INVALID_HANDLE_VALUE);
}

TEST(HandleOwners, SelectedObjectPutsTheOldOneBack) {
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    HGDIOBJ before = GetCurrentObject(dc.get(), OBJ_BITMAP);
    UniqueGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc.get(), 8, 8));
    ASSERT_TRUE(bitmap);
    {
        SelectedObject selected(dc.get(), bitmap.get());
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), before);
    HBITMAP raw = bitmap.get();
    bitmap.reset();
    EXPECT_EQ(GetObjectType(raw), 0u) << "a bitmap no DC holds can be deleted";
}

}  // namespace
}  // namespace qnb::win32
