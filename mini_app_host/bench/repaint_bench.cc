// Frames per second of repaint + present of a 1920 x 1080 view through the real channel, at
// pixel scale 1.0 and 1.5, next to the floor of copying the same bytes with memcpy.
// Usage: ternapp_repaint_bench [frames]   (TernApp.exe beside this program)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ternapp_client.h"
#include "wire/byte_codec.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

double Seconds(LARGE_INTEGER start, LARGE_INTEGER end) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(f.QuadPart);
}

std::wstring Folder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return p.substr(0, p.find_last_of(L"\\/"));
}

// Returns frames per second, or a negative value when the run failed.
double RunHost(double scale, int frames) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::wstring app_path =
      std::wstring(temp) + L"ternapp_bench_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  char app[256];
  std::snprintf(app, sizeof(app),
                "scale %.2f\non entry 13\n  fill 200 100 50\n  invalidate 0 0 %d %d\n", scale,
                static_cast<int>(kWidth / scale), static_cast<int>(kHeight / scale));
  HANDLE file = CreateFileW(app_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return -1;
  DWORD written = 0;
  WriteFile(file, app, static_cast<DWORD>(std::strlen(app)), &written, nullptr);
  CloseHandle(file);

  double fps = -1;
  {
    ternapp_client::Client client;
    bool handled = false;
    if (client.Start(Folder() + L"\\TernApp.exe", L"--app=\"" + app_path + L"\"") &&
        client.OpenView(1) && client.Resize(1, kWidth, kHeight) &&
        client.CreateView(1, "bench", "page", "", -1, false, &handled)) {
      client.SendTexts(1, "warm-up", "", &handled);
      LARGE_INTEGER start, end;
      QueryPerformanceCounter(&start);
      int done = 0;
      for (; done < frames; ++done) {
        // The answer follows the present, so each round trip is one whole frame.
        if (!client.SendTexts(1, "frame", "", &handled))
          break;
      }
      QueryPerformanceCounter(&end);
      int presents = 0;
      size_t bytes = 0;
      for (const auto& e : client.Events()) {
        if (e.kind == ternapp_client::Event::kPresent) {
          ++presents;
          bytes = e.pixels.size() * 4;
        }
      }
      if (done == frames && presents == frames + 1 && bytes == size_t(kWidth) * kHeight * 4)
        fps = frames / Seconds(start, end);
    }
  }
  DeleteFileW(app_path.c_str());
  return fps;
}

double MemcpyFloor(int frames) {
  std::vector<unsigned char> a(size_t(kWidth) * kHeight * 4, 1), b(a.size());
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  for (int i = 0; i < frames; ++i) {
    a[i % a.size()] = static_cast<unsigned char>(i);
    std::memcpy(b.data(), a.data(), a.size());
  }
  QueryPerformanceCounter(&end);
  volatile unsigned char sink = b[static_cast<size_t>(frames) % b.size()];
  (void)sink;
  return frames / Seconds(start, end);
}

struct PipeCount {
  HANDLE done = nullptr;
  int frames = 0;
  int target = 0;
};

void CountFrame(void* context, uint32_t, uint32_t, uint32_t, uint32_t, const uint8_t*, uint32_t) {
  PipeCount* count = static_cast<PipeCount*>(context);
  if (++count->frames == count->target)
    SetEvent(count->done);
}

// The second floor: the same bytes as one frame each through the channel's pipe, both ends in
// this process.
double PipeFloor(int frames) {
  std::wstring name = L"ternapp_bench_pipe_" + std::to_wstring(GetCurrentProcessId());
  cdClient* reader = cdClientCreate(name.c_str());
  if (!reader)
    return -1;
  HANDLE writer = CreateFileW((L"\\\\.\\pipe\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  PipeCount count;
  count.done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  count.target = frames;
  double fps = -1;
  if (writer != INVALID_HANDLE_VALUE && cdClientAccept(reader, 5000, CountFrame, &count)) {
    std::vector<uint8_t> pixels(size_t(kWidth) * kHeight * 4, 7);
    std::vector<uint8_t> frame = conduit::EncodeFrame({20, 1, 0, 0}, pixels.data(), pixels.size());
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    bool ok = true;
    for (int i = 0; i < frames && ok; ++i) {
      DWORD written = 0;
      ok = WriteFile(writer, frame.data(), static_cast<DWORD>(frame.size()), &written, nullptr) &&
           written == frame.size();
    }
    if (ok && WaitForSingleObject(count.done, 60000) == WAIT_OBJECT_0) {
      QueryPerformanceCounter(&end);
      fps = frames / Seconds(start, end);
    }
  }
  if (writer != INVALID_HANDLE_VALUE)
    CloseHandle(writer);
  cdClientDestroy(reader);
  CloseHandle(count.done);
  return fps;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int frames = argc > 1 ? _wtoi(argv[1]) : 60;
  if (frames <= 0)
    frames = 60;
  double floor = MemcpyFloor(frames * 4);
  double pipe = PipeFloor(frames);
  double one = RunHost(1.0, frames);
  double one_half = RunHost(1.5, frames);
  std::printf("repaint+present %dx%d, %d frames each\n", kWidth, kHeight, frames);
  std::printf("  scale 1.0: %8.1f fps\n", one);
  std::printf("  scale 1.5: %8.1f fps\n", one_half);
  std::printf("  floor, memcpy of %d bytes in one process: %8.1f fps\n", kWidth * kHeight * 4,
              floor);
  std::printf("  floor, the same bytes as channel frames through its pipe: %8.1f fps\n", pipe);
  return one > 0 && one_half > 0 ? 0 : 1;
}
