// Qt file dialogs behind the FileChooser seam.
#include "core/ui/file_chooser.h"

#include "core/ui/dialog_owner.h"

#include <QFileDialog>
#include <QStringList>

#include <algorithm>

namespace glyfex::core::ui {

namespace {
// "Label|pattern;pattern|Label|pattern" to Qt's "Label (*.a *.b)" list: Qt takes the patterns from
// the parentheses, so each label gets the pair's own patterns, blank-separated.
QStringList qtFilters(const QString &filters)
{
    const QStringList parts = filters.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i];
        const qsizetype paren = label.indexOf(QLatin1Char('('));
        if (paren > 0)
            label = label.left(paren).trimmed();
        // Names on discs come in either case; the dialog matches patterns as written.
        QStringList patterns;
        for (const QString &p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            patterns << p;
            if (p.toUpper() != p)
                patterns << p.toUpper();
        }
        out << label + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}
} // namespace

QString DialogFileChooser::openFile(QWidget *parent, const QString &title, const QString &start,
                                    const QString &filters, int filterIndex)
{
    QFileDialog dialog(parent, title, start);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, true);
    const QStringList list = qtFilters(filters);
    dialog.setNameFilters(list);
    if (filterIndex >= 1 && filterIndex <= list.size())
        dialog.selectNameFilter(list[filterIndex - 1]);
    if (execOver(dialog, parent) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    m_chosenFilterIndex = std::max(int(list.indexOf(dialog.selectedNameFilter())) + 1, 1);
    return dialog.selectedFiles().constFirst();
}

QString DialogFileChooser::saveFile(QWidget *parent, const QString &title, const QString &start,
                                    const QString &filter)
{
    QFileDialog dialog(parent, title, start);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // Qt's question would name what was typed, before the caller adds the extension, and in Qt's words.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(qtFilters(filter));
    if (execOver(dialog, parent) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace glyfex::core::ui
