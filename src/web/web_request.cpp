#include "web/web_request.h"
