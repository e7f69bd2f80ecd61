#pragma once
#include "platform/Ports.h"
