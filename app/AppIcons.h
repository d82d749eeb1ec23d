#pragma once

#include <QIcon>
#include <QString>

// The program's own pictures, drawn as SVG in the resources and rendered
// here at every size a button, menu or notification area asks for, so they
// stay sharp at 100% and 200% scale without relying on an icon plugin.
namespace AppIcons {

// name is the file name without ".svg" under :/icons ("day", "planner", ...).
QIcon icon(const QString &name);

} // namespace AppIcons
