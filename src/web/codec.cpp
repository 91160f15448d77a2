#include "web/codec.h"
