// The file questions of the windows (open a file, name a file to save), answered by Qt's dialogs or by a test script.
#pragma once

#include <QString>

class QWidget;

namespace glyfex::core::ui {

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The chosen existing file, or an empty string when the user cancels.
    virtual QString openFile(QWidget *parent, const QString &title, const QString &start, const QString &filters,
                             int filterIndex) = 0;
    // The filter (from 1) the user left the last open dialog on that chose a file, so that the next
    // one starts on it again.
    int chosenFilterIndex() const { return m_chosenFilterIndex; }
    // The chosen file name to write, or an empty string when the user cancels. No extension is added and
    // nothing is asked about a file of that name: the caller adds its extension and then asks its own
    // question about the name it will write.
    virtual QString saveFile(QWidget *parent, const QString &title, const QString &start, const QString &filter) = 0;

protected:
    int m_chosenFilterIndex = 1;
};

// Qt's own file dialogs. Filters are "Label (*.a;*.b)|*.a;*.b|..." pairs as the program writes them.
class DialogFileChooser : public FileChooser {
public:
    QString openFile(QWidget *parent, const QString &title, const QString &start, const QString &filters,
                     int filterIndex) override;
    QString saveFile(QWidget *parent, const QString &title, const QString &start, const QString &filter) override;
};

} // namespace glyfex::core::ui
