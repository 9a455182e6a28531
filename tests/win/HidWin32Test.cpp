#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "device/MyKestrune.h"
#include "device/win32/Win32Hid.h"

namespace {

TEST(Win32Hid, NoReceiverPresentIsNotFound) {
  Win32HidPlatform platform;
  CMyKestrune device(platform, SteadyClock::Instance());
  EXPECT_EQ(device.OpenDevice(nullptr), 0);
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(device.Caps().inputReportLength, 0);
  device.CloseDevice();
  uint8_t status[kReportLength] = {};
  EXPECT_EQ(device.ReadStatus(status), 0);
}

// An overlapped pipe stands in for the HID handle: a read on it pends until the other end writes.
struct PipePair {
  HANDLE server = INVALID_HANDLE_VALUE;
  HANDLE client = INVALID_HANDLE_VALUE;
  PipePair() {
    char name[96];
    wsprintfA(name, "\\\\.\\pipe\\kestrune-hid-%lu-%lu", GetCurrentProcessId(), GetTickCount());
    server = CreateNamedPipeA(name, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096,
                              4096, 0, nullptr);
    client = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
  }
  ~PipePair() {
    if (server != INVALID_HANDLE_VALUE) CloseHandle(server);
  }
  void Write(const uint8_t* data, DWORD n) {
    OVERLAPPED ov{};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD done = 0;
    if (!WriteFile(server, data, n, &done, &ov) && GetLastError() == ERROR_IO_PENDING)
      GetOverlappedResult(server, &ov, &done, TRUE);
    CloseHandle(ov.hEvent);
  }
};

TEST(Win32Hid, ATimedOutReadLeavesNothingPending) {
  PipePair pipe;
  ASSERT_NE(pipe.server, INVALID_HANDLE_VALUE);
  ASSERT_NE(pipe.client, INVALID_HANDLE_VALUE);
  Win32HidDevice device(pipe.client);  // owns the client end from here

  uint8_t buffer[kReportLength];
  std::memset(buffer, 0xAB, sizeof buffer);
  const DWORD start = GetTickCount();
  EXPECT_EQ(device.ReadInput(buffer, sizeof buffer, 100), HidReadResult::TimedOut);
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 90u);
  EXPECT_LT(elapsed, 2000u);

  // Had the late read stayed outstanding, this report would land in the old buffer.
  uint8_t report[kReportLength] = {0x01, 0x00, 33, 0x22, 0x2E};
  pipe.Write(report, sizeof report);
  Sleep(50);
  EXPECT_EQ(buffer[2], 0xAB);
  EXPECT_EQ(buffer[3], 0xAB);

  uint8_t next[kReportLength] = {};
  ASSERT_EQ(device.ReadInput(next, sizeof next, 100), HidReadResult::Delivered);
  EXPECT_EQ(next[2], 33);
  EXPECT_EQ(next[3], 0x22);
  EXPECT_EQ(next[4], 0x2E);
}

TEST(Win32Hid, AReadOnABrokenHandleFails) {
  PipePair pipe;
  ASSERT_NE(pipe.client, INVALID_HANDLE_VALUE);
  Win32HidDevice device(pipe.client);
  CloseHandle(pipe.server);
  pipe.server = INVALID_HANDLE_VALUE;
  uint8_t buffer[kReportLength];
  EXPECT_NE(device.ReadInput(buffer, sizeof buffer, 100), HidReadResult::Delivered);
  EXPECT_FALSE(device.SetFeature(buffer, sizeof buffer));  // not a HID handle
}

}  // namespace
