#pragma once

#include <string>
#include <string_view>

namespace vorlanex {

// Upper-cases the letters a to z only; every other byte, letters outside that range included,
// stays as it is. Names of tables, fields and key columns are compared this way throughout.
std::string UpperAZ(std::string_view text);

// True when both names are equal after UpperAZ. Nothing is trimmed.
bool SameName(std::string_view a, std::string_view b) noexcept;

// True when part occurs in text; an empty part never occurs.
bool ContainsText(std::string_view text, std::string_view part) noexcept;

// Removes the characters of code 0 to 32 at both ends.
std::string_view TrimControl(std::string_view text) noexcept;

// True when nothing but characters of code 0 to 32 is left after trimming.
inline bool IsBlank(std::string_view text) noexcept {
    return TrimControl(text).empty();
}

}  // namespace vorlanex
