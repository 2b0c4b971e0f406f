#pragma once
// A fresh temporary directory that is the current directory for one test, so
// log files written by bare name never land in the source or build tree.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

class ScratchDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        previous = fs::current_path();
        std::random_device seed;
        scratch = fs::temp_directory_path() / ("diag-test-" + std::to_string(seed()));
        ASSERT_TRUE(fs::create_directory(scratch));
        fs::current_path(scratch);
    }

    void TearDown() override {
        std::filesystem::current_path(previous);
        std::error_code ignored;
        std::filesystem::remove_all(scratch, ignored);
    }

    static bool Exists(const char* fileName) { return std::filesystem::exists(fileName); }

    static std::string ReadFile(const char* fileName) {
        std::ifstream in(fileName, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Lines with their " \r\n" ending; a trailing piece without one is kept too.
    static std::vector<std::string> ReadLines(const char* fileName) {
        const std::string text = ReadFile(fileName);
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find("\r\n", start);
            end = end == std::string::npos ? text.size() : end + 2;
            lines.push_back(text.substr(start, end - start));
            start = end;
        }
        return lines;
    }

private:
    std::filesystem::path previous;
    std::filesystem::path scratch;
};
