#include "screens/operations/Plan.h"
#include "screens/query/QueryForm.h"
#include "screens/self_service/Salary.h"
