#include "search/engines.h"

namespace trovix {

void run_test_engine(SearchContext& context) { (void)context; }

EngineEntry engine_entry(int engine_number) {
  switch (engine_number) {
    case 0: return run_test_engine;
    case 1: return run_engine1;
    case 2: return run_engine2;
    case 3: return run_engine3;
    case 4: return run_engine4;
    case 5: return run_engine5;
    case 6: return run_engine6;
    default: return nullptr;
  }
}

}  // namespace trovix
