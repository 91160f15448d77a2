#include "search/service_addresses.h"
