#include "ui/TabOrder.h"

#include <algorithm>

namespace hx::ui {
namespace {

void AppendSequence(const Form& form, const Component* parent, std::vector<Control*>& out) {
    for (Control* c : WindowedChildrenInTabOrder(form, parent)) {
        if (c->IsKindOf(Kind::Panel)) {
            AppendSequence(form, c, out);
        } else if (c->tabStop()) {
            out.push_back(c);
        }
    }
}

} // namespace

std::vector<Control*> WindowedChildrenInTabOrder(const Form& form, const Component* parent) {
    std::vector<Control*> out;
    for (const auto& c : form.components()) {
        if (c->parent() != parent || !c->IsKindOf(Kind::Control)) {
            continue;
        }
        auto* control = static_cast<Control*>(c.get());
        if (control->windowed()) {
            out.push_back(control);
        }
    }
    std::stable_sort(out.begin(), out.end(), [](const Control* a, const Control* b) {
        const unsigned ta = unsigned(a->tabOrder()), tb = unsigned(b->tabOrder()); // -1 last
        return ta < tb;
    });
    return out;
}

std::vector<Control*> TabSequence(const Form& form) {
    std::vector<Control*> out;
    AppendSequence(form, &form, out);
    return out;
}

bool CanTakeFocus(const Control& control) {
    for (const Component* c = &control; c && c->IsKindOf(Kind::Control) && !c->IsKindOf(Kind::Form);
         c = c->parent()) {
        const auto& each = static_cast<const Control&>(*c);
        if (!each.visible() || !each.enabled()) {
            return false;
        }
    }
    return true;
}

Control* FirstFocusable(const Form& form) {
    for (Control* c : TabSequence(form)) {
        if (CanTakeFocus(*c)) {
            return c;
        }
    }
    return nullptr;
}

Control* NextFocusable(const Form& form, const Control& from) {
    const std::vector<Control*> sequence = TabSequence(form);
    const auto at = std::find(sequence.begin(), sequence.end(), &from);
    // From a control Tab never visits, the search starts at the beginning.
    const std::size_t start = at == sequence.end() ? 0 : std::size_t(at - sequence.begin()) + 1;
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        Control* c = sequence[(start + i) % sequence.size()];
        if (c != &from && CanTakeFocus(*c)) {
            return c;
        }
    }
    return nullptr;
}

} // namespace hx::ui
