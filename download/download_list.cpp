#include "download/download_list.h"
#include <utility>

namespace fexo::download {

dataDownLoad& DownloadList::Append(std::unique_ptr<dataDownLoad> record)
{
    m_records.push_back(std::move(record));
    return *m_records.back();
}

// An abort may deliver the end of its download at once, and the platform may
// deliver other downloads' notifications while it runs: every record is cut
// off before the first abort.
void DownloadList::AbortAndClear()
{
    // By index: a record appended meanwhile must not break the walk.
    for (std::size_t i = 0; i < m_records.size(); ++i) m_records[i]->Disconnect();
    for (std::size_t i = 0; i < m_records.size(); ++i) m_records[i]->AbortDownload();
    m_records.clear();
}

}  // namespace fexo::download
