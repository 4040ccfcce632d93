// A private working directory for a native test: the program's files are
// named relative to the current directory, and saves put their temporary
// files beside the file they replace.
#pragma once
#include <gtest/gtest.h>
#include <filesystem>
#include <string>
#include <system_error>

// A fresh directory under the system's temporary directory, named after the
// running test, made the current directory; the previous one comes back and
// the directory goes when it ends.
struct TempWorkDir {
    std::filesystem::path previous;
    std::filesystem::path dir;

    explicit TempWorkDir(const char *prefix)
    {
        previous = std::filesystem::current_path();
        const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = prefix;
        if (info)
            name += std::string(info->test_suite_name()) + "_" + info->name();
        dir = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
    }
    ~TempWorkDir()
    {
        std::error_code ignored;
        std::filesystem::current_path(previous, ignored);
        std::filesystem::remove_all(dir, ignored);
    }
    TempWorkDir(const TempWorkDir &) = delete;
    TempWorkDir &operator=(const TempWorkDir &) = delete;
};
