#include "download/download_list.h"

namespace fexo::download {

dataDownLoad& DownloadList::Append(std::unique_ptr<dataDownLoad> record)
{
    m_records.Append(record.get());
    return *record.release();
}

// An abort may deliver the end of its download at once, and the platform may
// deliver other downloads' notifications while it runs: every record is cut
// off before the first abort.  A record appended meanwhile joins the walks.
void DownloadList::AbortAndClear()
{
    for (GPosition position = m_records.First(); position; m_records.Next(position))
        m_records[position]->Disconnect();
    for (GPosition position = m_records.First(); position; m_records.Next(position))
        m_records[position]->AbortDownload();
    for (GPosition position = m_records.First(); position; m_records.Next(position))
        delete m_records[position];
    m_records.Clear();
}

}  // namespace fexo::download
