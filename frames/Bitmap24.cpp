#include "Bitmap24.h"
