// Demo: runs a mini-app in TernApp.exe through the stand-in client and saves the last frame.
// Usage: ternapp_client.exe <TernApp.exe> <app file> <output.png>
#include <windows.h>

#include <cstdio>
#include <string>

#include "png_writer.h"
#include "ternapp_client.h"

namespace {

bool WriteAll(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  CloseHandle(file);
  return ok;
}

int PresentCount(const std::vector<ternapp_client::Event>& events) {
  int n = 0;
  for (const auto& e : events)
    n += e.kind == ternapp_client::Event::kPresent;
  return n;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: ternapp_client <TernApp.exe> <app file> <output.png>\n");
    return 2;
  }
  ternapp_client::Client client;
  if (!client.Start(argv[1], std::wstring(L"--app=\"") + argv[2] + L"\" groupid=1")) {
    std::fprintf(stderr, "TernApp did not connect\n");
    return 1;
  }
  bool handled = false;
  client.OpenView(1);
  client.Resize(1, 300, 180);
  client.CreateView(1, "demo", "main", "", -1, false, &handled);
  client.WaitFor([](const auto& events) { return PresentCount(events) >= 2; }, 10000);
  client.SendInput(1, 0x1001, 0, (70 << 16) | 120, &handled);
  client.WaitFor([](const auto& events) { return PresentCount(events) >= 3; }, 10000);
  int width = 0, height = 0;
  std::vector<uint32_t> frame = client.Frame(1, &width, &height);
  client.SendTexts(1, "close", "", &handled);
  DWORD code = 0;
  bool exited = client.WaitExit(10000, &code);
  std::vector<uint8_t> png = ternapp_client::EncodePng(frame, width, height);
  if (png.empty() || !WriteAll(argv[3], png)) {
    std::fprintf(stderr, "no frame to save\n");
    return 1;
  }
  std::printf("presents=%d frame=%dx%d exit=%lu%s\n", PresentCount(client.Events()), width, height,
              static_cast<unsigned long>(code), exited ? "" : " (still running)");
  return exited && code == 0 ? 0 : 1;
}
