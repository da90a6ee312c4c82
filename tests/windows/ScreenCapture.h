// Saves what the screen shows of a window as a PNG file, for people to look at.
#pragma once

#include "tests/ui/PngWriter.h"

#include <windows.h>

#include <string>

namespace hx::test {

// `file` is a Linux path (reached through Wine's Z: drive); its folder is created.
inline bool CaptureWindow(HWND window, const std::string& file) {
    RECT r;
    if (!GetWindowRect(window, &r)) {
        return false;
    }
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h; // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    Bytes rgb(size_t(w) * h * 3);
    const auto* bgrx = static_cast<const uint8_t*>(bits);
    for (size_t p = 0; bgrx && p < size_t(w) * h; ++p) {
        rgb[p * 3 + 0] = bgrx[p * 4 + 2];
        rgb[p * 3 + 1] = bgrx[p * 4 + 1];
        rgb[p * 3 + 2] = bgrx[p * 4 + 0];
    }
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    if (!bgrx) {
        return false;
    }

    PngWriter png;
    png.Chunk("IHDR", Ihdr(uint32_t(w), uint32_t(h), 8, 2));
    png.Chunk("IDAT", Zlib(FilteredRows(rgb, uint32_t(w), uint32_t(h), 3, {1})));
    png.End();

    std::string path = "Z:" + file;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    }
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok =
        WriteFile(out, png.bytes_.data(), DWORD(png.bytes_.size()), &written, nullptr) &&
        written == png.bytes_.size();
    CloseHandle(out);
    return ok;
}

} // namespace hx::test
