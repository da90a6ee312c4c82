// The order in which Tab visits a form's controls, and where the focus goes when the
// control holding it can no longer take it. Decided on the model alone; ui/win/ moves the
// real focus accordingly.
#pragma once

#include "ui/Controls.h"

#include <vector>

namespace hx::ui {

// The windowed controls directly on `parent`, by tab order; those without one come last,
// in creation order.
std::vector<Control*> WindowedChildrenInTabOrder(const Form& form, const Component* parent);

// The controls Tab visits, in order, whatever their state: windowed controls with a tab
// stop, a panel's own controls in the panel's place.
std::vector<Control*> TabSequence(const Form& form);

// True when the control, and every panel it sits on, is visible and enabled.
bool CanTakeFocus(const Control& control);

// The first control of the sequence that can take the focus; null when none can.
Control* FirstFocusable(const Form& form);

// The control after `from` in the sequence, going round to the start, that can take the
// focus; never `from` itself, and null when no other control can.
Control* NextFocusable(const Form& form, const Control& from);

} // namespace hx::ui
