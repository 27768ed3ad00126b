// Every member of IFexoCtl called once through the vtable with ordinary
// arguments, for tests that only care that each call comes back.
#pragma once
#include <functional>
#include <vector>
#include "FexoCtl.h"

namespace fexo::test {

using MemberCall = std::function<HRESULT(IFexoCtl*)>;

// The 48 property reads, 46 property writes and 33 methods, in type-library
// order; PrintDocTo is given a printer name (no message box).
const std::vector<MemberCall>& EveryMember();
// Where the commands (CmdHelp and the methods after it) begin in EveryMember();
// before them come the property reads and writes and the document queries.
constexpr size_t kFirstCommand = 84;

}  // namespace fexo::test
