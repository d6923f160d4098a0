#include "model/List.h"

#include "model/Item.h"
