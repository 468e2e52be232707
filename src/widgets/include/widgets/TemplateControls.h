#pragma once

#include "widgets/DialogTemplate.h"

#include <QHash>

#include <functional>

// Makes the widget of one control. Return nullptr to get the default widget for its kind.
using ControlFactory = std::function<QWidget *(const DialogControlTemplate &, QWidget *parent)>;
using ControlFactories = QHash<int, ControlFactory>;

// Creates every control of the template as a child of `dialog`, in template order: each
// carries its id as the dynamic property "controlId", its text, visibility, enabled state and
// its rectangle measured with the dialog's current font (applyDialogFont then redoes the layout
// at the fixed 96 dpi). The dialog gets the template's caption and client size. A factory for
// an id supplies that control's class (the caption dialog's point size is a RangedNumberEdit,
// ...); self-painted push buttons default to SkinButton. Controls must keep template order (no
// raise()/lower()): the font adapter matches them to the template by that order. Group boxes
// come before their contents, so they stay beneath them. False when the template does not
// exist.
bool createDialogControls(QWidget *dialog, int templateId, const ControlFactories &factories = {});
