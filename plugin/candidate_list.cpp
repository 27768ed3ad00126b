#include "plugin/candidate_list.h"
#include <algorithm>

namespace fexo::plugin {

void AppendBounded(std::string& text, std::string_view suffix)
{
    const std::size_t limit = kPathBufferSize - 1;
    if (text.size() >= limit) {
        text.resize(limit);
        return;
    }
    text.append(suffix.substr(0, limit - text.size()));
}

std::string DirectoryFromCommandLine(std::string_view commandLine)
{
    std::string text;
    text.reserve(commandLine.size());
    for (char c : commandLine)
        if (c != '"') text.push_back(c);
    std::size_t slash = text.rfind('\\');
    text.resize(slash == std::string::npos ? 0 : slash + 1);
    return text;
}

void CandidateList::SetOwnDirectory(std::string directory)
{
    if (m_hasOwnDirectory)
        m_directories.front() = std::move(directory);
    else
        m_directories.insert(m_directories.begin(), std::move(directory));
    m_hasOwnDirectory = true;
}

bool CandidateList::Full() const { return m_directories.size() >= kCapacity; }

std::size_t CandidateList::BrowserDirectoryCount() const
{
    return m_directories.size() - (m_hasOwnDirectory ? 1 : 0);
}

bool CandidateList::AddIfNew(std::string directory)
{
    if (Full()) return false;
    auto browserBegin = m_directories.begin() + (m_hasOwnDirectory ? 1 : 0);
    if (std::find(browserBegin, m_directories.end(), directory) != m_directories.end())
        return false;
    m_directories.push_back(std::move(directory));
    return true;
}

void CandidateList::AppendToBrowserDirectories(std::string_view suffix)
{
    for (std::size_t i = m_hasOwnDirectory ? 1 : 0; i < m_directories.size(); ++i)
        AppendBounded(m_directories[i], suffix);
}

}  // namespace fexo::plugin
