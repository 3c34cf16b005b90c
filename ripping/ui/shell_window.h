// A window the program creates at start-up whose contents later work fills in: a titled, empty top-level window.
#pragma once

#include <QDialog>

namespace glyfex::ripping::ui {

class ShellWindow : public QDialog {
    Q_OBJECT
public:
    ShellWindow(const QString &formName, const QString &caption, QWidget *parent = nullptr);
};

} // namespace glyfex::ripping::ui
