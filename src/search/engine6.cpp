#include "search/engines.h"

namespace trovix {

void run_engine6(SearchContext& context) { (void)context; }

}  // namespace trovix
