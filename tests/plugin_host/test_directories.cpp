#include "test_directories.h"
#include <windows.h>
#include <shellapi.h>
#include <gtest/gtest.h>

namespace fexo::test {

std::string BinDirectory()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    return directory.substr(0, directory.rfind('\\') + 1);
}

ScratchDirectory::ScratchDirectory(const std::string& name)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    // Process ids come back, and an earlier run may have left its directory
    // (a module loaded from it keeps its file): take the first free name.
    const std::string stem = std::string(temp) + "fexo_" + name + "_" +
                             std::to_string(GetCurrentProcessId()) + "_";
    for (unsigned n = 0;; ++n) {
        m_path = stem + std::to_string(n) + "\\";
        if (CreateDirectoryA(m_path.c_str(), nullptr)) return;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    ADD_FAILURE() << m_path;
}

ScratchDirectory::~ScratchDirectory()
{
    // Modules loaded from here stay mapped; their files cannot go while the
    // process lives, so whatever remains goes with the prefix's temp files.
    std::string from = m_path.substr(0, m_path.size() - 1);
    from.push_back('\0');
    SHFILEOPSTRUCTA operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationA(&operation);
}

std::string ScratchDirectory::MakeSubdirectory(const std::string& relative)
{
    std::string path = m_path;
    std::size_t start = 0;
    while (start < relative.size()) {
        std::size_t end = relative.find('\\', start);
        if (end == std::string::npos) end = relative.size();
        path += relative.substr(start, end - start) + "\\";
        CreateDirectoryA(path.c_str(), nullptr);
        start = end + 1;
    }
    return path;
}

void ScratchDirectory::CopyIn(const std::string& file, const std::string& into)
{
    const std::string name = file.substr(file.rfind('\\') + 1);
    const std::string target = (into.empty() ? m_path : into) + name;
    EXPECT_TRUE(CopyFileA(file.c_str(), target.c_str(), FALSE)) << file << " -> " << target;
}

}  // namespace fexo::test
