#pragma once
// Looks up to the pane: the layering check must reject this.
#include "pane/FrameView.h"
