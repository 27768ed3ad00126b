#include "property_bag.h"

// Passed through to the bag, never called.
IErrorLog* const fexo::test::PropertyBag::kErrorLog = reinterpret_cast<IErrorLog*>(0x1234);
