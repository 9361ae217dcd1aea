#pragma once
// Whole files read and written by tests, folders made as needed.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

inline std::string ReadTestFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteTestFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
