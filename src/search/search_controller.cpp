#include "search/search_controller.h"
