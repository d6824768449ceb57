// toForwardSlashes: Windows paths in the property file are written with forward slashes,
// which the Java processes read on every platform.
#pragma once

#include <span>

// Changes the text in place: scanning from the left, a backslash followed by another
// backslash is left as it is and both are skipped; every other backslash becomes "/". An
// absent or empty text is left alone.
void toForwardSlashes(char* text);
void toForwardSlashes(std::span<char> text);
