#include "search/engines.h"

namespace trovix {

void run_engine2(SearchContext& context) { (void)context; }

}  // namespace trovix
