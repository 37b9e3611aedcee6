#pragma once

#include <QString>
#include <functional>

// The text of the KorvelloError that f throws, or an empty text when it throws none.
QString errorOf(const std::function<void()>& f);
