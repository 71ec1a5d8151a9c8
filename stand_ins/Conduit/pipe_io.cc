#include "pipe_io.h"

namespace conduit {

namespace {

// Waits for an overlapped operation; cancels it when `stop` fires first.
bool Complete(HANDLE pipe, OVERLAPPED* ov, HANDLE stop, DWORD* done) {
  HANDLE waits[2] = {ov->hEvent, stop};
  DWORD count = stop ? 2 : 1;
  DWORD r = WaitForMultipleObjects(count, waits, FALSE, INFINITE);
  if (r != WAIT_OBJECT_0) {
    CancelIo(pipe);
    GetOverlappedResult(pipe, ov, done, TRUE);
    return false;
  }
  return GetOverlappedResult(pipe, ov, done, FALSE) != FALSE;
}

}  // namespace

bool WriteAll(HANDLE pipe, const void* data, size_t length) {
  ScopedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!event)
    return false;
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    OVERLAPPED ov = {};
    ov.hEvent = event.get();
    DWORD chunk = length > (1u << 20) ? (1u << 20) : static_cast<DWORD>(length);
    DWORD done = 0;
    if (!WriteFile(pipe, p, chunk, &done, &ov)) {
      if (GetLastError() != ERROR_IO_PENDING || !Complete(pipe, &ov, nullptr, &done))
        return false;
    } else if (!GetOverlappedResult(pipe, &ov, &done, TRUE)) {
      return false;
    }
    if (done == 0)
      return false;
    p += done;
    length -= done;
  }
  return true;
}

bool ReadAll(HANDLE pipe, void* data, size_t length, HANDLE stop) {
  ScopedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!event)
    return false;
  char* p = static_cast<char*>(data);
  while (length > 0) {
    OVERLAPPED ov = {};
    ov.hEvent = event.get();
    DWORD chunk = length > (1u << 20) ? (1u << 20) : static_cast<DWORD>(length);
    DWORD done = 0;
    if (!ReadFile(pipe, p, chunk, &done, &ov)) {
      if (GetLastError() != ERROR_IO_PENDING || !Complete(pipe, &ov, stop, &done))
        return false;
    } else if (!GetOverlappedResult(pipe, &ov, &done, TRUE)) {
      return false;
    }
    if (done == 0)
      return false;
    p += done;
    length -= done;
  }
  return true;
}

bool ReadFrame(HANDLE pipe, HANDLE stop, FrameHeader* header, std::vector<uint8_t>* payload) {
  uint8_t length_bytes[4];
  if (!ReadAll(pipe, length_bytes, 4, stop))
    return false;
  ByteReader r(length_bytes, 4);
  uint32_t length = 0;
  r.U32(&length);
  if (length < kFrameFixedBytes || length > kMaxFrameBytes)
    return false;
  std::vector<uint8_t> body(length);
  if (!ReadAll(pipe, body.data(), body.size(), stop))
    return false;
  const uint8_t* p = nullptr;
  size_t n = 0;
  if (!DecodeFrameBody(body.data(), body.size(), header, &p, &n))
    return false;
  payload->assign(p, p + n);
  return true;
}

}  // namespace conduit
