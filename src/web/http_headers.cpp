#include "web/http_headers.h"
