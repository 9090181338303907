#pragma once
// A check that a Resultado holds its value; a failure's message becomes the check's.

#include "base/Resultado.h"

#include <QtTest>

#define SLX_VERIFY_OK(expr)                                                                                            \
    do {                                                                                                               \
        const auto slxResultado_ = (expr);                                                                             \
        QVERIFY2(slxResultado_.has_value(), qPrintable(slxResultado_ ? QString() : slxResultado_.error().mensaje()));  \
    } while (false)
