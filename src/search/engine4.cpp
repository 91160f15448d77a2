#include "search/engines.h"

namespace trovix {

void run_engine4(SearchContext& context) { (void)context; }

}  // namespace trovix
