#include "search/engines.h"

namespace trovix {

void run_engine5(SearchContext& context) { (void)context; }

}  // namespace trovix
