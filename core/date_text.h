// The date text of the results list and the headless report.
#pragma once

#include <string>

#include "core/records.h"

// "%02d/%02d/%02d %02d:%02d:%02d" (year within its century, month, day, hour,
// minute, second) of the local time of t. A time that the C library cannot
// convert gives "--/--/-- --:--:--".
std::string FormatDateText(FileTime t);
