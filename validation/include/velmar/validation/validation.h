#pragma once
// The validation layer: documents against XML Schema, DTD and RELAX NG.

#include "velmar/validation/Validator.h"
#include "velmar/validation/DocumentValidation.h"
