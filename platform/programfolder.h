#pragma once
// The program folder: the folder of the executable, unless --home names another. Everything the
// tutor reads or writes by itself lies in it.

#include <QString>

namespace ml {

// Joins the program folder and a relative path written with either separator.
QString inFolder(const QString& folder, const QString& relative);

}  // namespace ml
