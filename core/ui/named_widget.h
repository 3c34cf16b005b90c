// Giving a new widget the component name that language files, the configuration and tests find it by.
#pragma once

#include <QLatin1StringView>
#include <QString>

namespace glyfex::core::ui {

template <class T>
T *named(const QString &name, T *widget)
{
    widget->setObjectName(name);
    return widget;
}

template <class T>
T *named(const char *name, T *widget)
{
    return named(QString(QLatin1StringView(name)), widget);
}

} // namespace glyfex::core::ui
