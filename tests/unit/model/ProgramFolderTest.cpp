#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "model/ProgramFolder.h"

namespace vorlanex {
namespace {

namespace fs = std::filesystem;

// Sets or removes an environment variable for one scope and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_old)
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vorlanex-folder-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_root = pattern;
    }
    void TearDown() override { fs::remove_all(m_root); }

    fs::path m_root;
};

TEST_F(ProgramFolderTest, HomeVariableWinsOverEverything) {
    const ScopedEnv home("VORLANEX_HOME", (m_root / "home").c_str());
    EXPECT_EQ(ProgramFolder(m_root), m_root / "home");
    EXPECT_EQ(ProgramFolder(), m_root / "home");
}

TEST_F(ProgramFolderTest, WritableExecutableFolder) {
    const ScopedEnv home("VORLANEX_HOME", "");  // empty counts as not set
    EXPECT_EQ(ProgramFolder(m_root), m_root);
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    ASSERT_FALSE(error);
    EXPECT_EQ(ProgramFolder(), self.parent_path());  // the build folder is writable
}

TEST_F(ProgramFolderTest, FallsBackToTheDataHomeAndCreatesIt) {
    const ScopedEnv home("VORLANEX_HOME", nullptr);
    const fs::path unusable = m_root / "no-such-folder";
    const fs::path dataHome = m_root / "data";
    const fs::path userDefault = m_root / "user" / ".local" / "share" / "vorlanex";
    struct Case {
        const char* xdg;
        fs::path expected;
    };
    const Case cases[] = {
        {dataHome.c_str(), dataHome / "vorlanex"},
        {nullptr, userDefault},
        {"", userDefault},
        {"relative/data", userDefault},
    };
    const ScopedEnv user("HOME", (m_root / "user").c_str());
    for (const auto& c : cases) {
        const ScopedEnv xdg("XDG_DATA_HOME", c.xdg);
        const fs::path folder = ProgramFolder(unusable);
        EXPECT_EQ(folder, c.expected) << (c.xdg ? c.xdg : "(unset)");
        EXPECT_TRUE(fs::is_directory(folder)) << folder;
        EXPECT_FALSE(fs::exists(unusable));
    }
}

}  // namespace
}  // namespace vorlanex
