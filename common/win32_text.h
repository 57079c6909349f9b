// Shift-JIS texts and fonts for the settings editor's windows. Every text
// reaches the user interface through the W functions, whatever the system
// code page.
#pragma once
#include <windows.h>

#include <string>

#include "common/text_convert.h"

namespace suite {

inline LPCWSTR AsWide(const std::u16string& text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }

// Shift-JIS form of a wide text. False when some character has no exact
// Shift-JIS form; *sjis then holds the code page's substitute for it.
inline bool WideToSjis(LPCWSTR text, int length, std::string* sjis) {
    sjis->clear();
    if (length <= 0) return true;
    int n = WideCharToMultiByte(932, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return false;
    sjis->assign(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(932, 0, text, length, &(*sjis)[0], n, nullptr, nullptr);
    // Best-fit mappings would pass a plain "default char used" test: compare
    // the way back instead.
    std::u16string back = SjisToUtf16(*sjis);
    return back.size() == static_cast<size_t>(length) &&
           back.compare(0, back.size(), reinterpret_cast<const char16_t*>(text), static_cast<size_t>(length)) == 0;
}

// The window's text in Shift-JIS; false when it did not convert exactly.
inline bool GetWindowTextSjis(HWND window, std::string* sjis) {
    int length = GetWindowTextLengthW(window);
    std::u16string wide(static_cast<size_t>(length) + 1, u'\0');
    length = GetWindowTextW(window, reinterpret_cast<LPWSTR>(&wide[0]), length + 1);
    return WideToSjis(reinterpret_cast<LPCWSTR>(wide.c_str()), length, sjis);
}

inline void SetWindowTextSjis(HWND window, const std::string& sjis) {
    SetWindowTextW(window, AsWide(SjisToUtf16(sjis)));
}

// Focuses an edit and puts the caret after its last character. Scrolled
// from the start, so that a text set while the edit was narrower is shown
// from its beginning when it fits.
inline void FocusAtEnd(HWND edit) {
    SetFocus(edit);
    int length = GetWindowTextLengthW(edit);
    SendMessageW(edit, EM_SETSEL, 0, 0);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(length), static_cast<LPARAM>(length));
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

// Message box with a Shift-JIS text and caption.
inline int ShowMessage(HWND owner, const char* text, const char* caption, UINT type) {
    return MessageBoxW(owner, AsWide(SjisToUtf16(text)), AsWide(SjisToUtf16(caption)), type);
}

// "ＭＳ ゴシック" at a size in pixels (height of the character cell, average
// character width); Wine substitutes an installed Japanese gothic face.
inline HFONT CreateGothicFont(int height, int width) {
    return CreateFontW(height, width, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                       reinterpret_cast<LPCWSTR>(u"ＭＳ ゴシック"));
}

// Owns one GDI object and deletes it when replaced or destroyed.
template <typename T>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T object) : object_(object) {}
    ~GdiObject() { Reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    void Reset(T object = nullptr) {
        if (object_) DeleteObject(object_);
        object_ = object;
    }
    T get() const { return object_; }
    // Gives up ownership without deleting.
    T Release() {
        T object = object_;
        object_ = nullptr;
        return object;
    }

private:
    T object_ = nullptr;
};

// Selects a GDI object into a DC for a scope.
class SelectIn {
public:
    SelectIn(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectIn() { SelectObject(dc_, old_); }
    SelectIn(const SelectIn&) = delete;
    SelectIn& operator=(const SelectIn&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace suite
