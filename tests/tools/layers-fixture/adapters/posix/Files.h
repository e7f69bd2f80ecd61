#pragma once
#include <unistd.h>
#include "platform/Ports.h"
#include "adapters/posix/Clock.h"
