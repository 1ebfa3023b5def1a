#pragma once

// A fresh temporary folder per test, removed with everything in it when the test ends. CTest runs
// tests in parallel, so a test never shares a fixed file name in the temporary directory.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace veltra::test {

class TempDir {
public:
    explicit TempDir(const std::string& prefix = "veltra-test") {
        std::string tmpl = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        const char* made = ::mkdtemp(tmpl.data());
        EXPECT_NE(made, nullptr) << tmpl;
        path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace veltra::test
