#include "hoststate.h"

bool PreviewMode = false;
bool Windows9xPlatform = false;
