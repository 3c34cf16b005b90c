// The colour question of the windows' colour shapes: Qt's colour dialog, or a test's scripted answer.
#pragma once

#include <QColor>

#include <functional>
#include <optional>

class QWidget;

namespace glyfex::core::ui {

// The chosen colour, or nothing when the user cancelled.
using ColourAsker = std::function<std::optional<QColor>(QWidget *parent, const QColor &current)>;

// Asks with Qt's colour dialog, starting at the current colour.
std::optional<QColor> askColourWithDialog(QWidget *parent, const QColor &current);

} // namespace glyfex::core::ui
