// The control's downloads, in creation order.  The control owns the records
// until it is torn down; a running download keeps writing into the control's
// instance, also after the instance has been re-created.
#pragma once
#include <memory>
#include <vector>
#include "download/data_download.h"

namespace fexo::download {

class DownloadList {
public:
    DownloadList() = default;
    DownloadList(const DownloadList&) = delete;
    DownloadList& operator=(const DownloadList&) = delete;
    ~DownloadList() { AbortAndClear(); }

    // Takes the record; throws std::bad_alloc (the record is then deleted).
    dataDownLoad& Append(std::unique_ptr<dataDownLoad> record);

    // Teardown, after the plugin instance is gone: no record is reached by a
    // notification any more, running downloads are aborted, every record is
    // deleted.
    void AbortAndClear();

    std::size_t Count() const { return m_records.size(); }

private:
    std::vector<std::unique_ptr<dataDownLoad>> m_records;
};

}  // namespace fexo::download
