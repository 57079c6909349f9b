#include "common/run_entry_win32.h"

#include <vector>

#include "common/text_convert.h"
#include "common/win32_text.h"

namespace suite {
namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kCaption[] = "Windows 起動時の起動";

// The value's text; false when there is none.
bool QueryValue(const RunEntry& entry, std::u16string* value) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0, bytes = 0;
    LONG rc = RegQueryValueExW(key, AsWide(entry.name), nullptr, &type, nullptr, &bytes);
    bool found = rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ);
    if (found) {
        std::vector<char16_t> text(bytes / sizeof(char16_t) + 1, 0);
        found = RegQueryValueExW(key, AsWide(entry.name), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                                 &bytes) == ERROR_SUCCESS;
        if (found) value->assign(text.data());
    }
    RegCloseKey(key);
    return found;
}

bool WriteValue(const RunEntry& entry) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    std::u16string command = RunEntryCommand(entry.exePath);
    LONG rc = RegSetValueExW(key, AsWide(entry.name), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                             static_cast<DWORD>((command.size() + 1) * sizeof(char16_t)));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

void RemoveValue(const RunEntry& entry) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, AsWide(entry.name));
    RegCloseKey(key);
}

std::string Sjis(const std::u16string& text) {
    std::string out;
    WideToSjis(AsWide(text), static_cast<int>(text.size()), &out);
    return out;
}

bool AskToTakeOver(const RunEntry& entry, const std::u16string& value, HWND owner) {
    const std::string name = Sjis(entry.name);
    std::string text = "Windows の起動時には、別の場所の " + name + " が起動するよう登録されています。\n" +
                       "登録されている起動: " + Sjis(value) + "\n\n" + "この場所の " + name +
                       " に切り替えますか？\n（切り替えると、登録されていた方は起動しなくなります）";
    return ShowMessage(owner, text.c_str(), kCaption, MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) == IDYES;
}

}  // namespace

std::u16string ThisProgramPath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::u16string();
        if (n < path.size()) return std::u16string(reinterpret_cast<const char16_t*>(path.data()), n);
        path.resize(path.size() * 2);
    }
}

RunEntryOwner ReadRunEntry(const RunEntry& entry) {
    std::u16string value;
    bool found = QueryValue(entry, &value);
    return OwnerOfRunEntry(found ? &value : nullptr, entry.exePath);
}

RunEntryOwner ChangeRunEntry(const RunEntry& entry, bool on, HWND owner) {
    std::u16string value;
    bool found = QueryValue(entry, &value);
    RunEntryOwner now = OwnerOfRunEntry(found ? &value : nullptr, entry.exePath);
    if (!on) {
        if (now == RunEntryOwner::ThisCopy) RemoveValue(entry);
        return ReadRunEntry(entry);
    }
    if (now == RunEntryOwner::ThisCopy) return now;
    if (GetFileAttributesW(AsWide(entry.exePath)) == INVALID_FILE_ATTRIBUTES) {
        std::string text = Sjis(entry.exePath) + " が見つかりません。\nプログラムと同じフォルダーに置いてください。";
        ShowMessage(owner, text.c_str(), kCaption, MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
        return now;
    }
    if (now == RunEntryOwner::OtherCopy && !AskToTakeOver(entry, value, owner)) return now;
    if (!WriteValue(entry)) {
        ShowMessage(owner, "Windows 起動時の起動を登録できませんでした。", kCaption, MB_OK | MB_ICONERROR | MB_TOPMOST);
    }
    return ReadRunEntry(entry);
}

}  // namespace suite
