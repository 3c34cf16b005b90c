// Giving a new widget the component name that language files, the configuration and tests find it by.
#pragma once

#include <QLatin1StringView>
#include <QPushButton>
#include <QString>

namespace glyfex::core::ui {

// Windows and widgets whose "tag" property holds NotInLanguageFiles stay out of language files: their
// texts are set by the program while it runs, or come from other translated texts.
inline constexpr char TagProperty[] = "tag";
inline constexpr int NotInLanguageFiles = 666;
// A group box whose radio buttons language files name as its items (Items0, Items1, ...), as they do
// for every group named "RadioGroup...".
inline constexpr char RadioGroupProperty[] = "radioGroup";

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

// A widget whose texts the program sets while it runs (a counter, a time, a size, a file name): a
// language file neither holds nor changes them, nor those of the widgets inside it.
template <class T>
T *runTimeText(T *widget)
{
    widget->setProperty(TagProperty, NotInLanguageFiles);
    return widget;
}

// A box holding what the user typed for an option (it is kept in the configuration): a language file
// neither holds nor changes it.
template <class T>
T *usersValue(T *widget)
{
    return runTimeText(widget);
}

// A named push button that Enter does not press: each dialog says itself which button Enter means.
inline QPushButton *namedButton(const char *name, const QString &caption, QWidget *parent)
{
    auto *b = named(name, new QPushButton(caption, parent));
    b->setAutoDefault(false);
    return b;
}

} // namespace glyfex::core::ui
