#include "frame/worker_state.h"

#include <unordered_map>

namespace ravadid {

WorkerState& workerState(std::uint64_t applicationId) {
  thread_local std::unordered_map<std::uint64_t, WorkerState> states;
  return states[applicationId];
}

}  // namespace ravadid
