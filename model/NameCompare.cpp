#include "model/NameCompare.h"

namespace vorlanex {

namespace {
constexpr char upperAZ(char c) noexcept {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}
constexpr bool isControlOrBlank(char c) noexcept {
    return static_cast<unsigned char>(c) <= 32;
}
}  // namespace

std::string UpperAZ(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = upperAZ(c);
    return result;
}

bool SameName(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (upperAZ(a[i]) != upperAZ(b[i]))
            return false;
    }
    return true;
}

bool ContainsText(std::string_view text, std::string_view part) noexcept {
    return !part.empty() && text.find(part) != std::string_view::npos;
}

std::string_view TrimControl(std::string_view text) noexcept {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isControlOrBlank(text[begin]))
        ++begin;
    while (end > begin && isControlOrBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

}  // namespace vorlanex
