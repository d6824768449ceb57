// The supervisor's 30 message texts: event texts, event-source names and the usage line,
// taken from the localized message library when one loads, else the built-in English texts.
#pragma once

#include "platform/win32.h"

constexpr int kMessageCount = 30;

// Slots used as event sources.
constexpr int kSourceMoxal = 1;
constexpr int kSourceCtrlAgent = 29;
constexpr int kSourceCtrlServer = 30;
constexpr int kUsageLine = 28;

// The text of a slot, 1 to 30.
const char* messageText(int id);

// The built-in English text of a slot, 1 to 30.
const char* defaultMessageText(int id);

// Loads "svc<language>.dll" for the system's language, else "svcenu.dll"; none when neither
// loads.
HMODULE loadMessageLibrary();

// Fills the slots from the library (at most 510 characters each), or with the built-in texts
// when there is none. An id the library lacks keeps its built-in text.
void loadMessageTable(HMODULE library);
