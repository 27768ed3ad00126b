// The directories in which the plugin DLL is looked for, in the order they are
// tried: the control's own directory first, then browser plugin directories
// without duplicates, 30 at most.  Every directory is empty or ends with a
// backslash, so the DLL name can be appended directly.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace fexo::plugin {

// Directory texts are held in 4096-byte buffers by the registry and shell
// calls that produce them; longer results are cut to that size.
constexpr std::size_t kPathBufferSize = 4096;

// Appends `suffix`, keeping the text within kPathBufferSize - 1 characters.
void AppendBounded(std::string& text, std::string_view suffix);

// The directory of the program in a shell command line: quotes removed, cut
// after the last backslash; empty when there is no backslash.
std::string DirectoryFromCommandLine(std::string_view commandLine);

class CandidateList {
public:
    static constexpr std::size_t kCapacity = 30;

    // The control's own directory; it takes the first place and is not
    // compared with the browser directories.
    void SetOwnDirectory(std::string directory);
    bool HasOwnDirectory() const { return m_hasOwnDirectory; }

    // Adds a browser directory unless an equal one (byte for byte, case
    // sensitive) was added before or the list is full; true when added.
    bool AddIfNew(std::string directory);
    bool Full() const;

    // Appends `suffix` to every browser directory added so far.
    void AppendToBrowserDirectories(std::string_view suffix);

    // All candidates in the order they are tried.
    const std::vector<std::string>& Directories() const { return m_directories; }
    std::size_t BrowserDirectoryCount() const;

private:
    std::vector<std::string> m_directories;
    bool m_hasOwnDirectory = false;
};

}  // namespace fexo::plugin
