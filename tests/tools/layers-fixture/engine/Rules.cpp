#include "Rules.h"
#include "engine/Rules.h"
