#include "standin_state.h"
#include <utility>

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

CallRecord::~CallRecord()
{
    State& state = TheState();
    if (!committed_ || !state.action || state.actionCall != call_) return;
    const StandinAction action = std::exchange(state.action, nullptr);
    action(instance_, state.actionContext);
}

void CallRecord::Commit(std::initializer_list<const void*> pointers)
{
    TheState().journal.Add(CallName(call_), instance_, pdata_, ndata_, args.str(), pointers);
    committed_ = true;
}

}  // namespace standin
