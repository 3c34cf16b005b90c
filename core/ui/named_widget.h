// Giving a new widget the component name that language files, the configuration and tests find it by.
#pragma once

#include <QLatin1StringView>
#include <QPushButton>
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

// A named push button that Enter does not press: each dialog says itself which button Enter means.
inline QPushButton *namedButton(const char *name, const QString &caption, QWidget *parent)
{
    auto *b = named(name, new QPushButton(caption, parent));
    b->setAutoDefault(false);
    return b;
}

} // namespace glyfex::core::ui
