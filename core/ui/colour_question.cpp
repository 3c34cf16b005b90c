// Qt's colour dialog as the program's colour question.
#include "core/ui/colour_question.h"

#include <QColorDialog>

namespace glyfex::core::ui {

std::optional<QColor> askColourWithDialog(QWidget *parent, const QColor &current)
{
    const QColor chosen = QColorDialog::getColor(current, parent);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

} // namespace glyfex::core::ui
