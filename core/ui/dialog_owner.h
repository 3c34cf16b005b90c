// Modal dialogs and message boxes over the window the user works in, never under the program's stay-on-top windows.
#pragma once

class QDialog;
class QWidget;

namespace glyfex::core::ui {

// The window the user works in: the modal dialog in front, else the program's active window, else
// fallback. A hidden window is never the answer: a box centred on it would appear where nothing is.
QWidget *workingWindow(QWidget *fallback = nullptr);

// Gives the dialog the window of owner as its parent, so that the window manager keeps it above that
// window and it opens centred on it; a null owner keeps the dialog's parent. While a window of the
// program that stays on top is shown (the Subtitles window, the matrix editor), the dialog stays on
// top as well: a window manager stacks those windows above every ordinary one, the dialogs of the
// main window included, and would hide the dialog's buttons behind them.
void prepareOver(QDialog &dialog, QWidget *owner);

// prepareOver, then shows the dialog modally; its result.
int execOver(QDialog &dialog, QWidget *owner);

} // namespace glyfex::core::ui
