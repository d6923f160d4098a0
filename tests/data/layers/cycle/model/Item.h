#pragma once
#include "model/List.h"
