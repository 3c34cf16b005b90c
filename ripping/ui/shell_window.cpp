// Empty windows with their form names and captions.
#include "ripping/ui/shell_window.h"

namespace glyfex::ripping::ui {

ShellWindow::ShellWindow(const QString &formName, const QString &caption, QWidget *parent) : QDialog(parent)
{
    setObjectName(formName);
    setWindowTitle(caption);
    resize(420, 240);
}

} // namespace glyfex::ripping::ui
