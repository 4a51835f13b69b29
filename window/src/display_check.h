#pragma once

#include <QString>

#include <optional>

// Where Qt would abort for want of a display, the one line to say instead;
// nullopt where a window can be shown. `program` is how the user started it.
std::optional<QString> missingDisplayMessage(const QString& program);
