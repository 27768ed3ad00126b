#include "standin_state.h"

namespace standin {

State& TheState()
{
    static State state;
    return state;
}

CallRecord::CallRecord(Call call, NPP instance)
    : call_(call),
      instance_(instance),
      pdata_(instance ? instance->pdata : nullptr),
      ndata_(instance ? instance->ndata : nullptr)
{
}

void CallRecord::Commit(std::initializer_list<const void*> pointers)
{
    TheState().journal.Add(CallName(call_), instance_, pdata_, ndata_, args.str(), pointers);
}

}  // namespace standin
