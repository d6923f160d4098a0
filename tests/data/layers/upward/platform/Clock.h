#pragma once
#include "ui/Sheet.h"
