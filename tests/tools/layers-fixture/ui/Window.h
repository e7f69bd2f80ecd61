#pragma once
#include "branding/Record.h"
#include "create/Command.h"
