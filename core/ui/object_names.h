// Naming a widget as it is made: the component names the language files and the configuration use.
#pragma once

#include <QObject>

namespace glyfex::core::ui {

template <class T>
T *named(const char *name, T *object)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

} // namespace glyfex::core::ui
