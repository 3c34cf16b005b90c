// Modal dialogs, message boxes and the windows beside the run over the window they belong to, never under the program's stay-on-top windows.
#pragma once

#include <Qt>

class QDialog;
class QWidget;

namespace glyfex::core::ui {

// The window the user works in: the modal dialog in front, else the program's active window, else
// fallback. A hidden window is never the answer: a box centred on it would appear where nothing is.
QWidget *workingWindow(QWidget *fallback = nullptr);

// Gives the dialog the window of owner as its parent, so that it opens centred on it; a null owner
// keeps the dialog's parent. The window manager keeps it above the window it is kept over (see
// keptOver), stay-on-top windows included: while a window of the program that stays on top is shown
// (the Subtitles window, the matrix editor), the dialog stays on top as well.
void prepareOver(QDialog &dialog, QWidget *owner);

// prepareOver, then shows the dialog modally; its result.
int execOver(QDialog &dialog, QWidget *owner);

// The window that the window manager keeps window above (the window it records as window's owner,
// WM_TRANSIENT_FOR): the window of its parent, or, while that one does not stay on top itself, the
// first shown window of the program that does. A window manager keeps a window above its owner
// whatever the user clicks, but not above another window of the same owner: a click on the Subtitles
// window, which belongs to the main window too, would put it over a dialog of the main window for
// good. A hidden parent gives way to the window it belongs to. Null for a window without a parent.
QWidget *keptOver(const QWidget &window);

// The flags of a window that lives beside the window that owns it (its parent), with the title-bar
// buttons of an ordinary window. Its type is a dialog's: the X11 window system records the owner
// (WM_TRANSIENT_FOR) of dialog-like windows only, and without it a window manager stacks the window
// and the dialogs of its owner as strangers, one of them covering the other.
Qt::WindowFlags ownedWindowFlags();

// For a window beside the run (the video viewer), before it is shown: it is kept over keptOver's
// window, and, while another window of the program that stays on top is shown, stays on top as well
// when it is next shown, as prepareOver does for a dialog (a shown window keeps its flags: a change
// would hide it). A window that stays on top and appears later takes it over (gatherWindowsBeside).
void keepAboveOnTopWindows(QWidget &window);

// Called once a window that stays on top has been shown: the shown windows beside the run that
// belong to the same window and lie under it now are kept over it, so that their controls stay
// reachable. The window system learns a new owner when a window is mapped: such a window is shown
// again where it was.
void gatherWindowsBeside(QWidget &onTopWindow);

} // namespace glyfex::core::ui
