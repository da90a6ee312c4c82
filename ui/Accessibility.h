// What a screen reader is told of the children of a container that we paint (the form or a
// panel): each windowless control that carries meaning as one item, a group of them that a
// form describes as one (a stand-in), and each child with a window of its own, which then
// tells the rest about itself. Decided here from the model; ui/win/ answers the platform's
// accessibility interface from it.
#pragma once

#include "ui/Component.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hx::ui {

class Control;
class Form;

enum class AccessibleRole : uint8_t {
    StaticText,
    CheckButton,
    Graphic,
    Window, // a child with a window of its own: the system describes it
};

struct AccessibleItem {
    AccessibleRole role = AccessibleRole::StaticText;
    std::u16string name;
    bool checked = false;
    bool mixed = false;              // under way: neither waiting nor done
    bool invisible = false;          // hidden within the container
    Rect bounds;                     // in the container's client area, at the form's DPI
    const Control* window = nullptr; // Window: the control whose window stands here
    friend bool operator==(const AccessibleItem&, const AccessibleItem&) = default;
};

// A form's own account of some of its windowless components, told as one item in the
// place of `at`; the item's bounds are those of all its parts together, and it is
// invisible while `at` is hidden. Pictures carry no meaning unless a stand-in says so.
struct AccessibleStandIn {
    const Component* at = nullptr;
    AccessibleItem item;
    std::vector<const Component*> parts;
};

// A caption as it is read: the access-key marks dropped ("&&" stands for one "&").
std::u16string WithoutAccessKeyMarks(std::u16string_view caption);

// The items of `container`'s children, in creation order.
std::vector<AccessibleItem> DescribeChildren(const Form& form, const Component& container,
                                             std::span<const AccessibleStandIn> standIns);

enum class AccessibleDirection : uint8_t { Next, Previous, First, Last, Up, Down, Left, Right };

// The item reached from item `from`, or from the container itself when there is none (only
// First and Last lead anywhere from there). Spatial directions go to the nearest shown
// item that lies wholly beyond the start's edge.
std::optional<std::size_t> Navigate(std::span<const AccessibleItem> items,
                                    std::optional<std::size_t> from, AccessibleDirection d);

// The shown item under a point of the container's client area: windows lie above the
// windowless items, and later windowless ones above earlier ones.
std::optional<std::size_t> HitTest(std::span<const AccessibleItem> items, int x, int y);

// What a screen reader must be told after the items changed from `before` to `after`.
struct AccessibleChange {
    enum class Kind : uint8_t { Name, State, Location, Reorder };
    Kind kind;
    std::size_t index = 0; // unused for Reorder
    friend bool operator==(const AccessibleChange&, const AccessibleChange&) = default;
};
std::vector<AccessibleChange> ChangesBetween(std::span<const AccessibleItem> before,
                                             std::span<const AccessibleItem> after);

} // namespace hx::ui
