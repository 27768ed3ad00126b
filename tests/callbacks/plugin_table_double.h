// The process-wide plugin table as these tests fill it: stream calls are
// logged one line each; WriteReady and Write answer from the fields below.
#pragma once
#include <string>
#include "plugin/npapi.h"

namespace fexo::test {

struct PluginTableDouble {
    std::string log;
    // Every byte written, in order of the writes.
    std::string received;
    int32_t ready = NP_MAXREADY;

    // Every stream entry filled (or the writeready entry left null).
    void Install(bool withWriteReady = true);
    std::string TakeLog();
};

PluginTableDouble& ThePluginTable();

}  // namespace fexo::test
