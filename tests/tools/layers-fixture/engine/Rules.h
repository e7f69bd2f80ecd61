#pragma once
#include <string>
#include "resources/Pictures.h"
