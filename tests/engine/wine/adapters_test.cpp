// The library's Win32 adapters against a real (Wine) system: the exclusive
// append-only log file, the version and console-session lookups, a datagram over
// the loopback, the self-closing box and the administrator lookup.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/accounts.h"
#include "platform/log_file.h"
#include "platform/network.h"
#include "platform/process.h"
#include "platform/terminal_services.h"
#include "platform/timed_message_box.h"

namespace {

std::string ReadWhole(const char* path) {
    std::string content;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return content;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        content.append(buffer, got);
    CloseHandle(file);
    return content;
}

TEST(LogFileAdapter, CreatesAppendsAndHoldsTheFileExclusively) {
    char directory[MAX_PATH];
    ASSERT_GT(GetTempPathA(sizeof directory, directory), 0u);
    std::string path = std::string(directory) + "gatewell-adapter-test.log";
    DeleteFileA(path.c_str());

    LogFileHandle first = LogFileOpenForAppend(path.c_str());
    ASSERT_NE(first, LOG_FILE_INVALID);
    EXPECT_EQ(LogFileWrite(first, "one\r\n", 5), 0);
    // While one writer holds it, nobody else can open it.
    EXPECT_EQ(LogFileOpenForAppend(path.c_str()), LOG_FILE_INVALID);
    LogFileClose(first);

    LogFileHandle second = LogFileOpenForAppend(path.c_str());
    ASSERT_NE(second, LOG_FILE_INVALID);
    EXPECT_EQ(LogFileWrite(second, "two\r\n", 5), 0);
    LogFileClose(second);
    EXPECT_EQ(ReadWhole(path.c_str()), "one\r\ntwo\r\n");
    DeleteFileA(path.c_str());

    EXPECT_EQ(LogFileOpenForAppend(""), LOG_FILE_INVALID);
}

// A log past 4 GiB (a sparse file here) is appended to at its real end, not written
// over from the position the low 32 bits of its size would give.
TEST(LogFileAdapter, AppendsPastFourGigabytes) {
    char directory[MAX_PATH];
    ASSERT_GT(GetTempPathA(sizeof directory, directory), 0u);
    std::string path = std::string(directory) + "gatewell-large-test.log";
    HANDLE made = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    LARGE_INTEGER size;
    size.QuadPart = 0x100000010LL;
    ASSERT_TRUE(WriteFile(made, "old\r\n", 5, &written, nullptr));
    ASSERT_TRUE(SetFilePointerEx(made, size, nullptr, FILE_BEGIN) && SetEndOfFile(made));
    CloseHandle(made);

    LogFileHandle log = LogFileOpenForAppend(path.c_str());
    ASSERT_NE(log, LOG_FILE_INVALID);
    EXPECT_EQ(LogFileWrite(log, "new\r\n", 5), 0);
    LogFileClose(log);

    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER grown = {};
    EXPECT_TRUE(GetFileSizeEx(file, &grown));
    EXPECT_EQ(grown.QuadPart, size.QuadPart + 5);
    char head[5] = {}, tail[5] = {};
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(file, head, 5, &got, nullptr));
    LARGE_INTEGER last;
    last.QuadPart = size.QuadPart;
    EXPECT_TRUE(SetFilePointerEx(file, last, nullptr, FILE_BEGIN));
    EXPECT_TRUE(ReadFile(file, tail, 5, &got, nullptr));
    CloseHandle(file);
    DeleteFileA(path.c_str());
    EXPECT_EQ(std::string(head, 5), "old\r\n");
    EXPECT_EQ(std::string(tail, 5), "new\r\n");

    // Where the move to the end fails (a pipe has no end), nothing is written.
    HANDLE pipeRead = nullptr, pipeWrite = nullptr;
    ASSERT_TRUE(CreatePipe(&pipeRead, &pipeWrite, nullptr, 0));
    EXPECT_EQ(LogFileWrite(reinterpret_cast<LogFileHandle>(pipeWrite), "new\r\n", 5), -1);
    DWORD waiting = 1;
    EXPECT_TRUE(PeekNamedPipe(pipeRead, nullptr, 0, nullptr, &waiting, nullptr));
    EXPECT_EQ(waiting, 0u);
    CloseHandle(pipeWrite);
    CloseHandle(pipeRead);
}

TEST(SystemAdapters, VersionAndConsoleSessionLookups) {
    uint32_t major = 0, minor = 0;
    ASSERT_EQ(GetOsVersion(&major, &minor), 0);
    EXPECT_EQ(major, 5u) << "the test prefix reports Windows Server 2003";
    uint32_t console = 0xFFFFFFFFu;
    EXPECT_EQ(TsGetActiveConsoleSessionId(&console), 0);
    EXPECT_NE(console, 0xFFFFFFFFu);
    LocalDateTime now{};
    GetLocalDateTime(&now);
    EXPECT_GE(now.year, 2000);
    EXPECT_GE(now.dayOfWeek, 0);
    EXPECT_LE(now.dayOfWeek, 6);
}

TEST(NetworkAdapter, DatagramReachesALoopbackReceiver) {
    uint8_t major = 0, minor = 0;
    ASSERT_EQ(NetStartup(2, 2, &major, &minor), 0);
    EXPECT_EQ(major, 2);
    EXPECT_EQ(minor, 2);

    SOCKET receiver = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_NE(receiver, INVALID_SOCKET);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = inet_addr("127.0.0.1");
    local.sin_port = 0;
    ASSERT_EQ(bind(receiver, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    int length = sizeof local;
    ASSERT_EQ(getsockname(receiver, reinterpret_cast<sockaddr*>(&local), &length), 0);

    Ipv4SocketAddress target{};
    target.family = NET_FAMILY_IPV4;
    memcpy(target.port, &local.sin_port, 2);
    uint32_t address = NetInetAddr("127.0.0.1");
    memcpy(target.address, &address, 4);
    EXPECT_EQ(target.address[0], 127);
    EXPECT_EQ(target.address[3], 1);

    NetSocket sender = NetOpenDatagramSocket();
    ASSERT_NE(sender, NET_INVALID_SOCKET);
    ASSERT_EQ(NetConnect(sender, &target), 0);
    std::string payload(1128, '\0');
    payload[0] = 'G';
    payload[1127] = 'w';
    EXPECT_EQ(NetSendTo(sender, payload.data(), payload.size(), &target), 1128);
    NetCloseSocket(sender);

    DWORD timeoutMs = 5000; // a lost datagram fails the test instead of hanging it
    setsockopt(receiver, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs),
               sizeof timeoutMs);
    char buffer[2048];
    int got = recv(receiver, buffer, sizeof buffer, 0);
    EXPECT_EQ(got, 1128);
    EXPECT_EQ(std::string(buffer, got > 0 ? size_t(got) : 0), payload);
    closesocket(receiver);
    NetCleanup();
}

TEST(TimedMessageBoxAdapter, ClosesItselfAndLeavesNoQuitMessage) {
    if (getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "needs an X display";
    EXPECT_EQ(ShowTimedMessage(nullptr, "closing by itself", "Gatewell test", 0, 300), 0);
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST(AccountsAdapter, BuiltInAdministratorHasAName) {
    wchar_t name[257] = {};
    uint32_t capacity = 256;
    if (!GetAccountNameByRid(nullptr, 500, name, &capacity))
        GTEST_SKIP() << "the system cannot resolve the account domain (error " << GetLastError()
                     << ")";
    EXPECT_GT(wcslen(name), 0u);
}

} // namespace
