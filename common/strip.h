// Trimming of property text: blanks and tabs go from both ends, except a trailing blank or
// tab that a backslash escapes.
#pragma once

#include <string>
#include <string_view>

// The text without its trailing and leading blanks and tabs, as a new string, never none.
// At the end, a character preceded by a backslash stops the trimming; at the front nothing
// escapes. When nothing is left after the trailing trim, writes the trace line
// "stripStr: nothing left after trail" (without a line end).
std::string stripStr(const char* text);

// The same trimming as a view into the text, for the reader's hot path.
std::string_view stripView(std::string_view text);
