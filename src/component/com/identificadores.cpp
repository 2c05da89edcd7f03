// The one place where the identifiers of the type library are defined.
#include <initguid.h>

#include "vardel_h.h"
