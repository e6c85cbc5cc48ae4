// The picture control: a window of class "TImage" that shows one JPEG picture stretched to its
// client rectangle (imTop and imLeft of the wizard window). Windows only.
//
// Use:
//   RegisterPictureClass(instance);                       // once, before the first picture
//   HWND im = CreateWindowExW(0, kPictureClassName, L"", WS_CHILD | WS_VISIBLE, 8, 4, 584, 70,
//                             parent, id, instance, nullptr);
//   SetPictureResource(im, IDR_PICTURE_TOP);              // RCDATA of the window's module
//
// Each control keeps its decoded picture (and a copy resampled to its client size, made when
// first painted at that size) and frees both when it is destroyed. Without a picture it shows
// the button-face colour. WM_PRINTCLIENT paints into the given device context.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "platform/GdiObjects.h"

inline constexpr wchar_t kPictureClassName[] = L"TImage";

// Registers the window class "TImage" for instance; true also when it is registered already.
bool RegisterPictureClass(HINSTANCE instance);

// A decoded picture: a 32-bit top-down DIB section (blue in the lowest byte of each pixel),
// width * height pixels at bits, rows without padding. bitmap is null after a failure.
struct DecodedPicture {
  GdiObject<HBITMAP> bitmap;
  int width = 0;
  int height = 0;
  uint32_t* bits = nullptr;  // owned by bitmap
};

// Decodes JPEG data (baseline or progressive; greyscale or colour). On failure the result is
// empty and the decoder's message is logged.
DecodedPicture DecodeJpeg(const void* data, size_t size);

// The bytes of an RCDATA resource of module, or null (logged) when it is missing.
const void* FindRcData(HMODULE module, int resourceId, size_t& size);

// Decodes JPEG data and makes it the control's picture (repaints). False, and the previous
// picture kept, when the data does not decode or window is no picture control.
bool SetPictureJpeg(HWND window, const void* data, size_t size);
// The same with the RCDATA resource resourceId of the module that created the window.
bool SetPictureResource(HWND window, int resourceId);
// Size of the control's decoded picture; 0 x 0 without one.
SIZE PictureSize(HWND window);
