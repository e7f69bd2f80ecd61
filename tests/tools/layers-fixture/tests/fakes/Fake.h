#pragma once
#include "engine/Rules.h"
