#pragma once
#include "../self_service/Salary.h"
