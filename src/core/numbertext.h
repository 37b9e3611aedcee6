#pragma once

#include <QString>

// Conversions between numbers and text. The program uses "." as its decimal
// separator whatever the user's locale, so none of these consult QLocale's default.
namespace numbertext {

// Integer conversion as the stored N and 01 columns need it: optional blanks
// before, an optional sign, decimal digits. Throws KorvelloError otherwise.
int toInt(const QString& text);

// Decimal number with "." as separator (an exponent is allowed). Throws KorvelloError.
double toDouble(const QString& text);

// General format with at most 15 significant digits: fixed notation without
// trailing zeros for magnitudes from 0.00001 up to 15 integer digits, scientific otherwise.
QString formatGeneral(double value);

} // namespace numbertext
