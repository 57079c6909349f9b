#include "common/run_entry.h"

namespace suite {
namespace {

// The program a Run value starts: the quoted part, or the whole value
// without its surrounding blanks.
std::u16string ProgramOf(const std::u16string& value) {
    size_t first = value.find_first_not_of(u" \t");
    if (first == std::u16string::npos) return std::u16string();
    if (value[first] == u'"') {
        size_t close = value.find(u'"', first + 1);
        return value.substr(first + 1, close == std::u16string::npos ? std::u16string::npos : close - first - 1);
    }
    size_t last = value.find_last_not_of(u" \t");
    return value.substr(first, last - first + 1);
}

char16_t Folded(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - u'a' + u'A');
    if (c >= u'ａ' && c <= u'ｚ') return static_cast<char16_t>(c - u'ａ' + u'Ａ');
    return c == u'/' ? u'\\' : c;
}

bool SamePath(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Folded(a[i]) != Folded(b[i])) return false;
    }
    return true;
}

}  // namespace

std::u16string RunEntryCommand(const std::u16string& exePath) { return u"\"" + exePath + u"\""; }

RunEntryOwner OwnerOfRunEntry(const std::u16string* value, const std::u16string& exePath) {
    if (!value) return RunEntryOwner::None;
    return SamePath(ProgramOf(*value), exePath) ? RunEntryOwner::ThisCopy : RunEntryOwner::OtherCopy;
}

}  // namespace suite
