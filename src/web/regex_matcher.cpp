#include "web/regex_matcher.h"
