#include "search/results_list.h"
