// The matrix editor: the entries of the current character matrix with their glyph, text and style, to correct or delete.
#pragma once

#include "core/messages.h"
#include "core/user_prompt.h"
#include "recognition/char_matrix.h"

#include <QDialog>
#include <QImage>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace glyfex::recognition::ui {

// The glyph as a 1-bit picture of its own size: ink in index 1.
QImage glyphImage(const Glyph &glyph);

class MatrixEditor : public QDialog {
    Q_OBJECT
public:
    // Sort columns of the list.
    enum Column { IndexColumn = 0, TextColumn = 1, BoldColumn = 2, ItalicColumn = 3, UnderlineColumn = 4 };

    MatrixEditor(CharMatrix &matrix, core::UserPrompt &prompt, const core::MessageTable *messages = nullptr,
                 QWidget *parent = nullptr);

    // Rebuilds the list from the matrix (after a matrix was opened or renewed) in the current order,
    // with the caption naming the file and the file description in the memo.
    void fillMatrixList();
    // Lists the entries learnt since the list was last built or followed, in one refresh however many
    // there are; the newest one is selected.
    void followMatrix();
    // The row (in list order) showing entry index, or -1; the entry shown by a row (0 for none).
    int findMatrixRow(int index) const;
    int rowMatrixIndex(int row) const;
    // The entry of the selected row, 0 when no row is selected.
    int selectedIndex() const;
    void selectIndex(int index);

    void sortBy(int column); // as a click on the column's header
    int sortColumn() const { return m_sortColumn; }
    bool sortDescending() const { return m_descending; }

    // The Open button runs the main window's open command.
    void setOpenCommand(std::function<void()> command) { m_open = std::move(command); }

    void modifySelected();
    void deleteSelected();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTreeWidgetItem *makeRow(int index) const;
    void writeRow(QTreeWidgetItem *item, int index) const;
    void sortList();
    void showSelectedChar();
    void updateButtons();
    void updateCount();
    void updateCaption();
    void showComment();
    void commentChanged();
    void typeAhead(const QString &typed);
    void setOnTop(bool onTop);
    void focusRow(QTreeWidgetItem *item);
    QString message(int index) const;

    CharMatrix &m_matrix;
    core::UserPrompt &m_prompt;
    const core::MessageTable *m_messages;
    std::function<void()> m_open;
    int m_listedUpTo = 0; // entries 1..m_listedUpTo have had their row
    int m_sortColumn = TextColumn;
    bool m_descending = false;
    bool m_settingComment = false;
    QString m_baseCaption;

    QTreeWidget *m_list;
    QLabel *m_image;
    QLabel *m_index;
    QLabel *m_top;
    QLabel *m_width;
    QLabel *m_height;
    QLineEdit *m_text;
    QLabel *m_nbChar;
    QCheckBox *m_bold;
    QCheckBox *m_italic;
    QCheckBox *m_underline;
    QPushButton *m_modify;
    QPushButton *m_delete;
    QPlainTextEdit *m_comment;
    QLabel *m_count;
    QCheckBox *m_onTop;
};

} // namespace glyfex::recognition::ui
