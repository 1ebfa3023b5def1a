#pragma once

// A fresh temporary folder per test, removed with everything in it when the test ends. CTest runs
// tests in parallel, so a test never shares a fixed file name in the temporary directory.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace veltra::test {

class TempDir {
public:
    explicit TempDir(const std::string& prefix = "veltra-test") {
        // A random name; create_directory says whether this call made the folder, so two tests
        // never share one.
        std::random_device random;
        for (int attempt = 0; attempt < kAttempts && path_.empty(); ++attempt) {
            const std::filesystem::path candidate =
                std::filesystem::temp_directory_path() /
                (prefix + "-" + std::to_string(random()) + std::to_string(random()));
            std::error_code ec;
            if (std::filesystem::create_directory(candidate, ec)) {
                path_ = candidate;
            }
        }
        EXPECT_FALSE(path_.empty()) << prefix;
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
    static constexpr int kAttempts = 100;
    std::filesystem::path path_;
};

}  // namespace veltra::test
