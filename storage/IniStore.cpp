#include "storage/IniStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "model/NameCompare.h"

namespace vorlanex {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool HoldsLineBreak(std::string_view text) noexcept {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

int HexDigit(char c) noexcept {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Closes the descriptor and removes the temporary file unless the rename has taken it over.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }

    bool Create(const std::filesystem::path& target) {
        static std::atomic<unsigned> counter{0};
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::filesystem::path candidate = target;
            candidate += ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
            m_fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd >= 0) {
                m_path = candidate;
                return true;
            }
            if (errno != EEXIST)
                return false;
        }
        return false;
    }

    bool Write(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
    }

    bool Finish(const std::filesystem::path& target) {
        const bool synced = ::fsync(m_fd) == 0;
        const bool closed = ::close(m_fd) == 0;
        m_fd = -1;
        if (!synced || !closed || ::rename(m_path.c_str(), target.c_str()) != 0)
            return false;
        m_path.clear();
        return true;
    }

    int Descriptor() const noexcept { return m_fd; }

private:
    int m_fd = -1;
    std::filesystem::path m_path;
};

}  // namespace

std::string FormatStorageMessage(std::string_view pattern,
                                 std::initializer_list<std::string_view> args) {
    std::string result;
    auto arg = args.begin();
    std::size_t pos = 0;
    while (pos < pattern.size()) {
        const std::size_t mark = pattern.find("%s", pos);
        if (mark == std::string_view::npos || arg == args.end()) {
            result += pattern.substr(pos);
            break;
        }
        result += pattern.substr(pos, mark - pos);
        result += *arg++;
        pos = mark + 2;
    }
    return result;
}

bool ParseIniInteger(std::string_view text, int& value) noexcept {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::uint64_t number = 0;
        for (char c : text.substr(2)) {
            const int digit = HexDigit(c);
            if (digit < 0)
                return false;
            number = number * 16 + static_cast<unsigned>(digit);
            if (number > 0xFFFFFFFFu)
                return false;
        }
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
        return true;
    }
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == text.size())
        return false;
    std::int64_t number = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
        if (number > std::int64_t{INT32_MAX} + 1)
            return false;
    }
    if (negative)
        number = -number;
    if (number > INT32_MAX || number < INT32_MIN)
        return false;
    value = static_cast<int>(number);
    return true;
}

IniStore::IniStore(std::filesystem::path path, WriteMode mode)
    : m_path(std::move(path)), m_mode(mode) {}

void IniStore::Load() const {
    if (m_loaded)
        return;
    m_loaded = true;
    m_unreadable = false;
    m_sections.clear();
    m_indexed = false;

    std::error_code ec;
    const auto status = std::filesystem::status(m_path, ec);
    if (!std::filesystem::exists(status))
        return;
    std::string bytes;
    if (std::filesystem::is_regular_file(status)) {
        std::ifstream in(m_path, std::ios::binary);
        if (in) {
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        } else {
            m_unreadable = true;
        }
    } else {
        m_unreadable = true;
    }
    if (m_unreadable)
        return;

    std::string_view rest = bytes;
    // Editors that save as UTF-8 may put a byte order mark first; it would hide the first section.
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view text = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);

        const std::string_view trimmed = TrimControl(text);
        if (!trimmed.empty() && trimmed.front() == '[') {
            std::string_view name = trimmed.substr(1);
            name = name.substr(0, name.find(']'));
            Section section;
            section.name = std::string(TrimControl(name));
            section.header = std::string(text);
            m_sections.push_back(std::move(section));
            continue;
        }
        if (m_sections.empty())
            m_sections.push_back(Section{{}, true, {}, {}});
        Line line;
        line.text = std::string(text);
        const std::size_t equals = text.find('=');
        if (equals != std::string_view::npos && !trimmed.empty() && trimmed.front() != ';') {
            line.isKey = true;
            line.key = std::string(TrimControl(text.substr(0, equals)));
            line.keyEnd = equals;
        }
        m_sections.back().lines.push_back(std::move(line));
    }
}

const std::vector<std::size_t>& IniStore::SectionsNamed(std::string_view section) const {
    static const std::vector<std::size_t> kNone;
    Load();
    if (!m_indexed) {
        m_index.clear();
        for (std::size_t i = 0; i < m_sections.size(); ++i) {
            if (!m_sections[i].noHeader)
                m_index[UpperAZ(m_sections[i].name)].push_back(i);
        }
        m_indexed = true;
    }
    const auto found = m_index.find(UpperAZ(section));
    return found == m_index.end() ? kNone : found->second;
}

IniStore::Line* IniStore::FindKey(std::string_view section, std::string_view key) const {
    for (std::size_t index : SectionsNamed(section)) {
        for (Line& line : m_sections[index].lines) {
            if (line.isKey && SameName(line.key, key))
                return &line;
        }
    }
    return nullptr;
}

void IniStore::EraseSection(std::string_view section) {
    if (SectionsNamed(section).empty())
        return;
    std::erase_if(m_sections,
                  [section](const Section& s) { return !s.noHeader && SameName(s.name, section); });
    m_indexed = false;
    Changed();
}

void IniStore::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    // A line break would end the line early and turn the rest of the value into lines of their
    // own, sections included.
    if (HoldsLineBreak(section) || HoldsLineBreak(key) || HoldsLineBreak(value)) {
        throw StorageError(
            FormatStorageMessage(kLineBreakInValue, {section, key, m_path.string()}));
    }
    Line line;
    line.text = std::string(key) + "=" + std::string(value);
    line.isKey = true;
    line.key = std::string(TrimControl(key));
    line.keyEnd = key.size();

    if (Line* found = FindKey(section, key)) {
        *found = std::move(line);
    } else if (const auto& named = SectionsNamed(section); !named.empty()) {
        // After the section's last non-blank line, so blank lines before the next section stay
        // where they were.
        auto& lines = m_sections[named.front()].lines;
        auto at = lines.end();
        while (at != lines.begin() && TrimControl(std::prev(at)->text).empty())
            --at;
        lines.insert(at, std::move(line));
    } else {
        Section added;
        added.name = std::string(section);
        added.header.reserve(section.size() + 2);
        added.header += '[';
        added.header += section;
        added.header += ']';
        added.lines.push_back(std::move(line));
        m_sections.push_back(std::move(added));
        m_index[UpperAZ(section)].push_back(m_sections.size() - 1);
    }
    Changed();
}

void IniStore::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

void IniStore::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

std::string IniStore::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
    const Line* line = FindKey(section, key);
    if (line == nullptr)
        return std::string(defaultValue);
    return std::string(TrimControl(std::string_view(line->text).substr(line->keyEnd + 1)));
}

int IniStore::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
    int value = 0;
    return ParseIniInteger(ReadString(section, key, {}), value) ? value : defaultValue;
}

bool IniStore::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<std::string> IniStore::ReadSectionValues(std::string_view section) const {
    std::vector<std::string> result;
    for (std::size_t index : SectionsNamed(section)) {
        for (const Line& line : m_sections[index].lines) {
            if (!line.isKey)
                continue;
            result.push_back(
                line.key + "=" +
                std::string(TrimControl(std::string_view(line.text).substr(line.keyEnd + 1))));
        }
    }
    return result;
}

std::size_t IniStore::KeyCount() const {
    Load();
    std::size_t count = 0;
    for (const Section& s : m_sections) {
        count += static_cast<std::size_t>(
            std::count_if(s.lines.begin(), s.lines.end(), [](const Line& l) { return l.isKey; }));
    }
    return count;
}

void IniStore::Changed() {
    m_dirty = true;
    if (m_mode == WriteMode::Immediate)
        Save();
}

void IniStore::Flush() {
    if (m_dirty)
        Save();
}

void IniStore::Revert() noexcept {
    m_loaded = false;
    m_unreadable = false;
    m_sections.clear();
    m_indexed = false;
    m_dirty = false;
}

void IniStore::Save() {
    const auto fail = [this]() {
        // Keep the copy in memory equal to what the file holds.
        Revert();
        throw StorageError(FormatStorageMessage(kUnableToWrite, {m_path.string()}));
    };
    if (m_unreadable)
        fail();

    std::string bytes;
    for (const Section& s : m_sections) {
        if (!s.noHeader) {
            bytes += s.header;
            bytes += kLineEnd;
        }
        for (const Line& line : s.lines) {
            bytes += line.text;
            bytes += kLineEnd;
        }
    }

    // Write through a link to the file it names, so the link stays a link.
    std::error_code ec;
    std::filesystem::path target = m_path;
    if (std::filesystem::is_symlink(m_path, ec)) {
        target = std::filesystem::weakly_canonical(m_path, ec);
        if (ec)
            fail();
    }
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    // A file the user made read-only stays unchanged, although the rename could replace it.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        fail();

    TemporaryFile temporary;
    if (!temporary.Create(target))
        fail();
    if (exists && ::fchmod(temporary.Descriptor(), existing.st_mode & 07777) != 0)
        fail();
    if (!temporary.Write(bytes) || !temporary.Finish(target))
        fail();
    m_dirty = false;
}

}  // namespace vorlanex
