// The text routines every file format of the program is built on, in one
// include: file reading and writing (text_file.h), fields and trims
// (fields.h), numbers in the C locale (number_text.h), path names (paths.h)
// and UTF-8 (utf8.h).
#pragma once

#include "support/fields.h"
#include "support/number_text.h"
#include "support/paths.h"
#include "support/text_file.h"
#include "support/utf8.h"
