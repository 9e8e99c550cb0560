#pragma once

#include <QString>
#include <ostream>

// GoogleTest would print a QString as a list of 2-byte objects; a failed comparison shows the text
// instead, quoted and escaped as it prints a std::string. Every GUI test file gets this declaration
// (the gui_test_main library force-includes it), so no test program prints QStrings two ways.
void PrintTo(const QString& text, std::ostream* out);
