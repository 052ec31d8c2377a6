#pragma once

class QLineEdit;

// Styles a text or password field as glass: no platform bezel, 12.5-pixel text in the primary text
// colour, the given padding, on a continuous rounded rectangle of the second surface edged inside by
// the subtle border. Returns the field. Applying it again replaces the earlier styling.
QLineEdit *zunoGlassInputField(
    QLineEdit *field, double cornerRadius, double horizontalPadding, double verticalPadding);
