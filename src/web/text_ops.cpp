#include "web/text_ops.h"
