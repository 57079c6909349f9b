#include "common/program_folder_win32.h"

#include <windows.h>

#include "common/program_folder.h"
#include "common/win32_text.h"

namespace suite {
namespace {

const char kUnwritableCaption[] = "書き込みできないフォルダー";
const char kUnwritableLead[] = "このフォルダーには書き込みができません。\n\n";
const char kUnwritableAdvice[] =
    "\n\n録音・設定・電話帳はこのフォルダーの中に保存するため、ここでは使えません。\n"
    "フォルダーごと「ドキュメント」など書き込みのできる場所に移してから、"
    "そこで起動してください。\n\nこのプログラムは終了します。";

// The folder of the module's path, "\" at its end. In UTF-16 a "\" is
// always a character of its own, so the last one ends the folder.
std::u16string ProgramFolderWide() {
    std::u16string path(32768, u'\0');
    DWORD n = GetModuleFileNameW(nullptr, reinterpret_cast<LPWSTR>(&path[0]), static_cast<DWORD>(path.size()));
    if (n == 0 || n >= path.size()) return std::u16string();
    path.resize(n);
    const size_t cut = path.rfind(u'\\');
    return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut + 1);
}

}  // namespace

std::string ProgramFolder() {
    const std::u16string wide = ProgramFolderWide();
    std::string sjis;
    if (!WideToSjis(reinterpret_cast<LPCWSTR>(wide.c_str()), static_cast<int>(wide.size()), &sjis)) return std::string();
    return sjis;
}

bool EnterProgramFolder(const char* programName) {
    const std::u16string folder = ProgramFolderWide();
    if (folder.empty() || !SetCurrentDirectoryW(reinterpret_cast<LPCWSTR>(folder.c_str()))) return true;
    if (CanCreateFileIn("", std::string("~") + programName + "書き込み確認.tmp")) return true;
    // Shown as Explorer shows it, without the closing "\" (a drive's root keeps it).
    std::u16string shown = folder;
    if (shown.size() > 3) shown.pop_back();
    const std::u16string text = SjisToUtf16(kUnwritableLead) + shown + SjisToUtf16(kUnwritableAdvice);
    MessageBoxW(nullptr, AsWide(text), AsWide(SjisToUtf16(kUnwritableCaption)), MB_OK | MB_ICONERROR | MB_TOPMOST);
    return false;
}

}  // namespace suite
