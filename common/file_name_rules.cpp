#include "common/file_name_rules.h"

#include <cstring>

#include "common/sjis_text.h"

namespace suite {

const char kBadFileNameText[] = "入力の文字はファイル名として使用できません、\n記号は漢字で入力してください。";
const char kInformationCaption[] = "インフォメーション";

namespace {
const char kForbiddenChars[] = "\\/:*?\"<>|";
}  // namespace

bool HasForbiddenChar(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        if ((b >= 0x81 && b <= 0x9F) || b >= 0xE0) {
            ++i;
            continue;
        }
        if (b != 0 && std::strchr(kForbiddenChars, b)) return true;
    }
    return false;
}

bool IsPlainFileName(const std::string& text) {
    if (text.empty() || text == "." || text == ".." || HasForbiddenChar(text)) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        if (IsSjisLeadByte(b)) {
            ++i;
            continue;
        }
        if (b < 0x20 || b == 0x7F) return false;
    }
    // Windows drops a trailing "." or space, so the file would not get the name shown.
    return !SjisEndsWith(text, '.') && !SjisEndsWith(text, ' ');
}

bool IsAbsoluteFolder(const std::string& folder) {
    if (folder.size() >= 2 && folder[1] == ':' && static_cast<unsigned char>(folder[0]) <= 'Z') return true;
    return folder.compare(0, 2, "\\\\") == 0;
}

std::string ResolvedFolder(const std::string& folder, const std::string& programFolder) {
    return IsAbsoluteFolder(folder) ? folder : programFolder + folder;
}

std::string WithTrailingSeparator(const std::string& folder) {
    // A trail byte of "\" value ends a kanji, not the path.
    return SjisEndsWith(folder, '\\') ? folder : folder + "\\";
}

}  // namespace suite
