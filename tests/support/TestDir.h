#pragma once
#include <filesystem>
#include <string>
#include <unistd.h>

namespace korva::test {

/// A fresh temporary directory, removed with everything in it at the end of the scope.
class TestDir {
public:
    TestDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "korva-test-XXXXXX").string();
        m_Path = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TestDir() {
        std::error_code ignored;
        if (!m_Path.empty()) std::filesystem::remove_all(m_Path, ignored);
    }
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;

    const std::filesystem::path& path() const { return m_Path; }
    std::filesystem::path operator/(const std::string& name) const { return m_Path / name; }

private:
    std::filesystem::path m_Path;
};

}  // namespace korva::test
