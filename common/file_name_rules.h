// What a file name typed by the user may hold, shared by the name format
// editor and the recording browser's rename, and how a folder text is read.
#pragma once
#include <string>

namespace suite {

extern const char kBadFileNameText[];    // "入力の文字はファイル名として使用できません、…"
extern const char kInformationCaption[];  // "インフォメーション"

// True when a single-byte character of text is one of \ / : * ? " < > |.
// A byte 0x81..0x9F or 0xE0..0xFF starts a two-byte character whose second
// byte is not examined.
bool HasForbiddenChar(const std::string& text);

// True when text can name a file inside one folder: no forbidden character,
// no control byte, not "." or "..", not ending in "." or a space, not empty.
bool IsPlainFileName(const std::string& text);

// A folder text the user sees as it is: a drive path ("C:...") or a UNC
// path ("\\server\share\"); anything else is taken relative to the program.
bool IsAbsoluteFolder(const std::string& folder);
// The folder with the program's folder (ending in "\") in front when relative.
std::string ResolvedFolder(const std::string& folder, const std::string& programFolder);
// Text with a "\" at its end.
std::string WithTrailingSeparator(const std::string& folder);

}  // namespace suite
