#include "GraphTestSupport.h"
