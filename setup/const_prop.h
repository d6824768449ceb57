// constProp's work: the installed property file brought up to date from the installer's
// answers, then the NT services installed.
#pragma once

#include "setup_answers.h"

// Error lines go to standard output. Answers that fail the checks change nothing. A property
// file that is missing or unreadable is left so; the services are installed all the same.
void runConstProp(const SetupAnswers& answers);
