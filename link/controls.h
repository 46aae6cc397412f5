// Register bindings to screen controls: a register value shown in, or taken from, a control of one
// of the program's kinds (track bar QSlider, QProgressBar, QLabel, QLineEdit, QCheckBox, QSpinBox,
// QComboBox).
#pragma once

#include "link/interface.h"

class QWidget;

namespace devlink {

/// Reads `reg` and shows it in `control`: a label or edit gets the text; a check box is checked
/// unless the reply is exactly "0"; a combo box gets the index when 0 <= v < count; a spin box the
/// value; a track bar or progress bar the position when minimum <= v < maximum. A reply that does
/// not scan leaves the control unchanged. Returns kNoControl without a control, the exchange result
/// code when the read fails, else 0.
int ReadRegisterToControl(TInterface& link, int reg, QWidget* control);

/// Writes the integer a control holds: track bar position; label or edit text as an integer
/// (kConversionError before anything is sent when it is not one); check box 1/0; spin box value;
/// combo box selected index. 0 without any exchange for another kind; else the exchange result.
int WriteRegisterFromControl(TInterface& link, int reg, QWidget* control);

/// Writes the real an edit or label holds ('.' separator). kConversionError before anything is
/// sent when it is not a number; 0 without any exchange for another kind; else the exchange result.
int WriteRegisterFromEdit(TInterface& link, int reg, QWidget* control);

} // namespace devlink
