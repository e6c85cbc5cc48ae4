// The picture control: JPEG decoding with libjpeg into a DIB section, resampling to the client
// size, painting in one BitBlt.
#include "controls/Picture.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/GdiObjects.h"
#include "controls/PictureScale.h"
#include "support/DebugLog.h"
#include "support/ErrorText.h"

namespace {

constexpr int kStateSlot = 0;  // PictureState* in the class's extra window bytes

struct PictureState {
  DecodedPicture source;
  DecodedPicture scaled;  // source resampled to the client size it was last painted at
};

// A 32-bit top-down DIB section of width x height.
DecodedPicture CreateDib(int width, int height) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  DecodedPicture dib;
  dib.bitmap.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib.bitmap.get()) {
    LogProc(3, L"CreateDib CreateDIBSection [" + std::to_wstring(width) + L" x " +
                   std::to_wstring(height) + L", Error=" + LastErrorText(true) + L"]");
    return DecodedPicture();
  }
  dib.width = width;
  dib.height = height;
  dib.bits = static_cast<uint32_t*>(bits);
  return dib;
}

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back into
// DecodeJpegInto. Exceptions could not unwind through the library's C frames.
struct JpegErrorManager {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr info) {
  auto* error = reinterpret_cast<JpegErrorManager*>(info->err);
  (*info->err->format_message)(info, error->message);
  std::longjmp(error->jump, 1);
}

void OnJpegMessage(j_common_ptr, int) {}  // warnings (e.g. premature end of data) stay silent

// The decompression proper, free of objects with destructors so that the jump back from
// OnJpegError skips nothing. Fills out and returns true, or returns false with message set.
bool DecodeJpegInto(const unsigned char* data, unsigned long size, DecodedPicture& out,
                    char (&message)[JMSG_LENGTH_MAX]) {
  jpeg_decompress_struct info;
  JpegErrorManager error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnJpegError;
  error.manager.emit_message = OnJpegMessage;
  error.message[0] = '\0';
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    std::memcpy(message, error.message, sizeof(message));
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, size);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_EXT_BGRX;  // the byte order of a 32-bit DIB
  jpeg_calc_output_dimensions(&info);
  // The DIB section is created before any scanline is read, so that a failing CreateDIBSection
  // never happens between setjmp and longjmp with a bitmap to free.
  if (info.output_width > 16384 || info.output_height > 16384 ||
      !(out = CreateDib(int(info.output_width), int(info.output_height))).bitmap.get()) {
    jpeg_destroy_decompress(&info);
    std::strcpy(message, "picture too large for a bitmap");
    return false;
  }
  jpeg_start_decompress(&info);
  const size_t stride = size_t(info.output_width) * 4;
  auto* pixels = reinterpret_cast<unsigned char*>(out.bits);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = pixels + size_t(info.output_scanline) * stride;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

PictureState* StateOf(HWND window) {
  wchar_t name[16] = {};
  if (window == nullptr || GetClassNameW(window, name, 16) == 0 ||
      std::wstring(name) != kPictureClassName)
    return nullptr;
  return reinterpret_cast<PictureState*>(GetWindowLongPtrW(window, kStateSlot));
}

// The source picture resampled to width x height (kept for later paints at the same size).
const DecodedPicture& ScaledPicture(PictureState& state, int width, int height) {
  const DecodedPicture& src = state.source;
  if (src.width == width && src.height == height) return src;
  if (state.scaled.bitmap.get() && state.scaled.width == width && state.scaled.height == height)
    return state.scaled;
  state.scaled = DecodedPicture();
  const std::vector<uint32_t> pixels(src.bits, src.bits + size_t(src.width) * size_t(src.height));
  const std::vector<uint32_t> resampled =
      ScalePixelsArea(pixels, src.width, src.height, width, height);
  DecodedPicture dib = CreateDib(width, height);
  if (dib.bitmap.get() && resampled.size() == size_t(width) * size_t(height)) {
    GdiFlush();  // GDI may still be writing into the section
    std::memcpy(dib.bits, resampled.data(), resampled.size() * sizeof(uint32_t));
    state.scaled = std::move(dib);
  }
  return state.scaled;
}

void PaintPicture(HWND window, PictureState* state, HDC dc) {
  RECT client{};
  GetClientRect(window, &client);
  const int W = client.right, H = client.bottom;
  if (W <= 0 || H <= 0) return;
  if (state == nullptr || !state->source.bitmap.get()) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  const DecodedPicture& shown = ScaledPicture(*state, W, H);
  gdi::unique_memdc canvas(CreateCompatibleDC(dc));
  if (!canvas) return;
  if (shown.bitmap.get()) {
    gdi::SelectGuard select(canvas.get(), shown.bitmap.get());
    BitBlt(dc, 0, 0, W, H, canvas.get(), 0, 0, SRCCOPY);
  } else {
    // No memory for the resampled copy: let GDI stretch the source instead.
    gdi::SelectGuard select(canvas.get(), state->source.bitmap.get());
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, 0, 0, W, H, canvas.get(), 0, 0, state->source.width, state->source.height,
               SRCCOPY);
  }
}

LRESULT CALLBACK PictureWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<PictureState*>(GetWindowLongPtrW(window, kStateSlot));
  try {
    switch (message) {
      case WM_NCCREATE: {
        auto* created = new (std::nothrow) PictureState;
        if (created == nullptr) return FALSE;
        SetWindowLongPtrW(window, kStateSlot, reinterpret_cast<LONG_PTR>(created));
        break;
      }
      case WM_NCDESTROY:
        SetWindowLongPtrW(window, kStateSlot, 0);
        delete state;  // frees the decoded and the resampled bitmap
        break;
      case WM_ERASEBKGND:
        return 1;  // the picture covers the client area
      case WM_PAINT: {
        gdi::PaintDc dc(window);
        if (dc.get()) PaintPicture(window, state, dc.get());
        return 0;
      }
      case WM_PRINTCLIENT:
        PaintPicture(window, state, reinterpret_cast<HDC>(wParam));
        return 0;
    }
  } catch (...) {
    // Only allocation can fail; nothing may unwind into the system's caller.
    LogProc(3, L"PictureWindowProc [message=" + std::to_wstring(message) + L", out of memory]");
    return message == WM_NCCREATE ? FALSE : 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool RegisterPictureClass(HINSTANCE instance) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(instance, kPictureClassName, &existing)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;  // stretched: every size change redraws all of it
  wc.lpfnWndProc = PictureWindowProc;
  wc.cbWndExtra = sizeof(PictureState*);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kPictureClassName;
  if (RegisterClassExW(&wc) == 0) {
    LogProc(3, L"RegisterPictureClass RegisterClassExW [Error=" + LastErrorText(true) + L"]");
    return false;
  }
  return true;
}

DecodedPicture DecodeJpeg(const void* data, size_t size) {
  if (data == nullptr || size == 0 || size > std::numeric_limits<unsigned long>::max()) {
    LogProc(3, L"DecodeJpeg [size=" + std::to_wstring(size) + L", no JPEG data]");
    return DecodedPicture();
  }
  DecodedPicture picture;
  char message[JMSG_LENGTH_MAX] = {};
  if (!DecodeJpegInto(static_cast<const unsigned char*>(data), static_cast<unsigned long>(size),
                      picture, message)) {
    LogProc(3, L"DecodeJpeg [size=" + std::to_wstring(size) + L", Error=" +
                   std::wstring(message, message + std::strlen(message)) + L"]");
    return DecodedPicture();
  }
  return picture;
}

const void* FindRcData(HMODULE module, int resourceId, size_t& size) {
  size = 0;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId), RT_RCDATA);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (data == nullptr) {
    LogProc(3, L"FindRcData FindResourceW [id=" + std::to_wstring(resourceId) + L", Error=" +
                   LastErrorText(true) + L"]");
    return nullptr;
  }
  size = SizeofResource(module, found);
  return data;
}

bool SetPictureJpeg(HWND window, const void* data, size_t size) {
  PictureState* state = StateOf(window);
  if (state == nullptr) return false;
  DecodedPicture picture = DecodeJpeg(data, size);
  if (!picture.bitmap.get()) return false;
  state->source = std::move(picture);
  state->scaled = DecodedPicture();
  InvalidateRect(window, nullptr, FALSE);
  return true;
}

bool SetPictureResource(HWND window, int resourceId) {
  auto module = reinterpret_cast<HMODULE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
  size_t size = 0;
  const void* data = FindRcData(module, resourceId, size);
  return data != nullptr && SetPictureJpeg(window, data, size);
}

SIZE PictureSize(HWND window) {
  PictureState* state = StateOf(window);
  if (state == nullptr || !state->source.bitmap.get()) return {0, 0};
  return {state->source.width, state->source.height};
}
