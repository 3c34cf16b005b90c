// The character-matrix commands of the main window's menu and the input dialog: open, save, save as, new, and the save question.
#pragma once

#include "recognition/char_matrix.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>

class QAction;
class QProgressBar;
class QWidget;

namespace glyfex::app {
class App;
}

namespace glyfex::recognition::ui {

class MatrixCommands : public QObject {
    Q_OBJECT
public:
    // codePage converts the texts of old (version 2) matrix files; dialogParent carries the file dialogs.
    MatrixCommands(app::App &app, CharMatrix &matrix, std::function<uint16_t()> codePage, QWidget *dialogParent,
                   QObject *parent = nullptr);

    // The menu item whose caption, without its "&", titles the open dialog, so that the title follows
    // the interface language; without one the title is the built-in English.
    void setOpenItem(QAction *item) { m_openItem = item; }

    // The bar that follows a matrix being loaded (the input dialog's); null for none.
    void setProgressBar(QProgressBar *bar) { m_bar = bar; }

    // Before the matrix is replaced or the program closes: false means the caller must not go on.
    // Asks only when the matrix has entries and changed; Yes saves it first (a cancelled name dialog
    // still goes on: the user chose to go on; a failed save stops, its error shown, the matrix modified).
    bool confirmSaveMatrix();
    // Save asks for a name only when the matrix's file does not exist yet; Save As always asks.
    // Both return whether the matrix was written.
    bool save();
    bool saveAs();
    // Open asks the save question, then for a file; a file that is no matrix is reported and the
    // matrix stays as it was.
    void open();
    // An empty matrix without a name, after the save question.
    void newMatrix();
    // Shows the matrix editor beside the run and brings it to the front.
    void view();

    // Says the matrix's file name again ("New File" when it has none) through matrixNameChanged.
    void showMatrixName();

    // The folder both matrix dialogs start in.
    const QString &folder() const { return m_folder; }
    void setFolder(const QString &folder) { m_folder = folder; }

    // Called after the matrix was opened or renewed (the matrix editor refreshes its list).
    void setChangedHandler(std::function<void()> handler) { m_changed = std::move(handler); }
    // The window the Edit/View command shows; editorAvailable says whether there is one (the command
    // stays disabled without one).
    void setEditor(QWidget *editor);

Q_SIGNALS:
    // The name the input dialog shows for the matrix.
    void matrixNameChanged(const QString &name);
    // Whether the Edit/View command has an editor to show.
    void editorAvailable(bool available);

private:
    enum class SaveOutcome { Saved, Cancelled, Failed };
    // The Save command (asks for a name only for a matrix without a file).
    SaveOutcome saveCommand();
    SaveOutcome saveMatrix(bool askName, const QString &title);

    app::App &m_app;
    CharMatrix &m_matrix;
    std::function<uint16_t()> m_codePage;
    std::function<void()> m_changed;
    QString m_folder;
    QPointer<QWidget> m_editor;
    QPointer<QAction> m_openItem;
    QWidget *m_dialogParent;
    QProgressBar *m_bar = nullptr;
};

} // namespace glyfex::recognition::ui
