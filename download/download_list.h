// The control's downloads, in creation order, in the library's list.  The
// control owns the records until it is torn down; a running download keeps
// writing into the control's instance, also after the instance has been
// re-created.
#pragma once
#include <cstdint>
#include <memory>
#include "download/data_download.h"
#include "support/glist.h"

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

    int32_t Count() const { return m_records.Count(); }

private:
    GList<dataDownLoad*> m_records;
};

}  // namespace fexo::download
