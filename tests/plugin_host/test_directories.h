// Directories the plugin host tests work in: the test's own (bin, beside
// FexoCntl.DLL and the stand-in) and scratch directories made for one test.
#pragma once
#include <string>

namespace fexo::test {

// The test executable's directory, with a trailing backslash.
std::string BinDirectory();

// A directory under the system's temporary directory, removed with its files
// at the end of its scope.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& name);
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // With a trailing backslash.
    const std::string& Path() const { return m_path; }
    // A subdirectory (created with its parents); returns its path with a
    // trailing backslash.
    std::string MakeSubdirectory(const std::string& relative);
    // Copies a file into the directory (or a subdirectory path ending in a
    // backslash), keeping its name.
    void CopyIn(const std::string& file, const std::string& into = "");

private:
    std::string m_path;
};

}  // namespace fexo::test
