#pragma once
#include "storage/Store.h"
