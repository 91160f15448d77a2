#include "search/engines.h"

namespace trovix {

void run_engine1(SearchContext& context) { (void)context; }

}  // namespace trovix
