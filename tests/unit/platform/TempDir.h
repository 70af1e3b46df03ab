#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace dax::test {

// A directory of its own for one test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "daxplatform-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

    // A plain file standing in for a device node; parent folders are made as needed.
    std::string touch(const std::string& name, const std::string& content = {}) const {
        const std::string p = *this / name;
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        std::ofstream(p) << content;
        return p;
    }
    std::string link(const std::string& name, const std::string& target) const {
        const std::string p = *this / name;
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        std::filesystem::create_symlink(target, p);
        return p;
    }

private:
    std::string m_path;
};

} // namespace dax::test
