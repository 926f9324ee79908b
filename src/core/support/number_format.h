// Numbers appended to a line as the C library's printf would print them in
// the C locale, without its cost: the writers of large files (a GPX import of
// a million track points) spent most of their time in vsnprintf.
//
// The output is byte for byte what printf prints for the same conversion, so
// files written before and after read back and compare the same.
#pragma once

#include <string>

namespace mw {

// printf("%*.*f", width, precision, value): correctly rounded (as glibc
// rounds, to nearest with ties going by the exact binary value), "-" kept for
// negative zero and for negatives that round to zero, "nan"/"inf" spelled as
// printf spells them, spaces on the left up to width.
void AppendFixed(std::string& out, double value, int precision, int width = 0);

// printf("%0*.*f", width, precision, value): as AppendFixed, with zeros
// after the sign up to width ("nan" and "inf" are padded with spaces, as
// printf pads them).
void AppendFixedZeroPadded(std::string& out, double value, int precision, int width);

// printf("%*d", width, value), or printf("%0*d", ...) when zeroPad is set
// (the zeros go after a minus sign, as printf puts them).
void AppendInt(std::string& out, long long value, int width = 0, bool zeroPad = false);

}  // namespace mw
