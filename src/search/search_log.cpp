#include "search/search_log.h"
