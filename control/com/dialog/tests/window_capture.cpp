#include "window_capture.h"

#include <cstdint>
#include <cstdio>
#include <set>
#include <vector>

namespace quill::dialog_driver {
namespace {

void PutU16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

// Rows bottom-up, each padded to 4 bytes, as BI_RGB 24-bit pixels.
bool WriteBmp(const std::string& path, int width, int height, const std::vector<uint8_t>& rows) {
  std::vector<uint8_t> file;
  const uint32_t headers = 14 + 40;
  PutU16(file, 0x4D42);  // "BM"
  PutU32(file, headers + static_cast<uint32_t>(rows.size()));
  PutU32(file, 0);
  PutU32(file, headers);
  PutU32(file, 40);
  PutU32(file, static_cast<uint32_t>(width));
  PutU32(file, static_cast<uint32_t>(height));
  PutU16(file, 1);
  PutU16(file, 24);
  PutU32(file, BI_RGB);
  PutU32(file, static_cast<uint32_t>(rows.size()));
  PutU32(file, 2835);
  PutU32(file, 2835);
  PutU32(file, 0);
  PutU32(file, 0);
  file.insert(file.end(), rows.begin(), rows.end());
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  return std::fclose(out) == 0 && written;
}

}  // namespace

int CaptureWindowToBmp(HWND window, const std::string& path) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return 0;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return 0;

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  const bool copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, previous);

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as the file keeps it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
  std::vector<uint8_t> rows(stride * static_cast<size_t>(height));
  const int lines = copied ? GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), rows.data(),
                                       &info, DIB_RGB_COLORS)
                           : 0;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (lines != height || !WriteBmp(path, width, height, rows)) return 0;

  std::set<uint32_t> colours;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = rows.data() + stride * static_cast<size_t>(y);
    for (int x = 0; x < width; ++x) {
      const uint8_t* pixel = row + 3 * x;
      colours.insert(pixel[0] | (pixel[1] << 8) | (pixel[2] << 16));
    }
  }
  return static_cast<int>(colours.size());
}

}  // namespace quill::dialog_driver
