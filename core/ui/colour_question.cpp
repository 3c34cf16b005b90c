// Qt's colour dialog as the program's colour question.
#include "core/ui/colour_question.h"

#include "core/ui/dialog_owner.h"

#include <QColorDialog>

namespace glyfex::core::ui {

std::optional<QColor> askColourWithDialog(QWidget *parent, const QColor &current)
{
    QColorDialog dialog(current);
    if (execOver(dialog, parent) != QDialog::Accepted || !dialog.selectedColor().isValid())
        return std::nullopt;
    return dialog.selectedColor();
}

} // namespace glyfex::core::ui
