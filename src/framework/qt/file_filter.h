#pragma once

#include <QStringList>
#include <string>

namespace fw::qt {

// Turns an open-file filter of the "Desc|*.ext|Desc|*.ext||" form into Qt's name filters
// ("Desc (*.ext)"). A description that already ends with its pattern in brackets is kept
// as it is; several patterns ("*.a;*.b") become Qt's blank-separated list. A trailing
// description without a pattern is dropped.
QStringList NameFilters(const std::string& filter);

}  // namespace fw::qt
