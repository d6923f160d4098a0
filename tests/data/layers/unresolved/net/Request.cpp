#include "net/Request.h"

#include <curl/curl.h>
#include <ui/Sheet.h>

#include "Request.h"
#include "net/Missing.h"
