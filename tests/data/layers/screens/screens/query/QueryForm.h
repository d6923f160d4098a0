#pragma once
#include "screens/operations/Plan.h"
