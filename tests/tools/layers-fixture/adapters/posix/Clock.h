#pragma once
#include "engine/Rules.h"
#include "resources/Pictures.h"
