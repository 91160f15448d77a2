#include "search/engines.h"

namespace trovix {

void run_engine3(SearchContext& context) { (void)context; }

}  // namespace trovix
