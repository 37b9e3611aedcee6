#pragma once

class QWidget;

// Gives every control under `root` that a screen reader would announce without
// a name (fields, drop-down lists, spin boxes, sliders: their caption stands
// beside them) the text of the label that stands before it in its layout row,
// without the colon and the mnemonic mark. Controls that already have an
// accessible name, or carry their own caption (buttons, check boxes), are left
// alone. Run once the page is built.
namespace accessiblenames {

void nameFromLabels(QWidget* root);

} // namespace accessiblenames
