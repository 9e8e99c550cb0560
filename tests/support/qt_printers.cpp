#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

void PrintTo(const QString& text, std::ostream* out)
{
    *out << ::testing::PrintToString(text.toStdString());
}
