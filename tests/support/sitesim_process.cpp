#include "support/sitesim_process.h"
