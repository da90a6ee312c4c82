#include "ui/Accessibility.h"

#include "ui/Controls.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace hx::ui {

namespace {

// Shown within the container: the component and its parents below the container are
// visible. Whether the container itself shows is its own state, told by the system.
bool Shown(const Component& c, const Component& container) {
    for (const Component* p = &c; p && p != &container; p = p->parent()) {
        if (!p->visible()) {
            return false;
        }
    }
    return true;
}

Rect Union(const Rect& a, const Rect& b) {
    const int left = std::min(a.left, b.left), top = std::min(a.top, b.top);
    const int right = std::max(a.left + a.width, b.left + b.width);
    const int bottom = std::max(a.top + a.height, b.top + b.height);
    return {left, top, right - left, bottom - top};
}

bool Contains(const Rect& r, int x, int y) {
    return x >= r.left && x < r.left + r.width && y >= r.top && y < r.top + r.height;
}

AccessibleItem StandInItem(const AccessibleStandIn& s, const Component& container) {
    AccessibleItem item = s.item;
    item.bounds = s.at->bounds();
    for (const Component* part : s.parts) {
        item.bounds = Union(item.bounds, part->bounds());
    }
    item.invisible = !Shown(*s.at, container);
    return item;
}

// Whether the start of a spatial move sees `to` beyond its edge in that direction.
bool Beyond(const Rect& from, const Rect& to, AccessibleDirection d) {
    switch (d) {
    case AccessibleDirection::Left:
        return to.left + to.width <= from.left;
    case AccessibleDirection::Right:
        return to.left >= from.left + from.width;
    case AccessibleDirection::Up:
        return to.top + to.height <= from.top;
    case AccessibleDirection::Down:
        return to.top >= from.top + from.height;
    default:
        return false;
    }
}

std::int64_t CentreDistance(const Rect& a, const Rect& b) {
    // Doubled centres keep the arithmetic in integers.
    const std::int64_t dx = std::int64_t(2 * a.left + a.width) - (2 * b.left + b.width);
    const std::int64_t dy = std::int64_t(2 * a.top + a.height) - (2 * b.top + b.height);
    return dx * dx + dy * dy;
}

} // namespace

std::u16string WithoutAccessKeyMarks(std::u16string_view caption) {
    std::u16string out;
    out.reserve(caption.size());
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != u'&') {
            out += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == u'&') {
            out += u'&';
            ++i;
        }
    }
    return out;
}

std::vector<AccessibleItem> DescribeChildren(const Form& form, const Component& container,
                                             std::span<const AccessibleStandIn> standIns) {
    std::vector<AccessibleItem> items;
    for (const auto& owned : form.components()) {
        const Component& c = *owned;
        if (c.parent() != &container || !c.IsKindOf(Kind::Control)) {
            continue;
        }
        bool told = false; // the parts of a stand-in are told through it alone
        for (const AccessibleStandIn& s : standIns) {
            if (s.at == &c) {
                items.push_back(StandInItem(s, container));
            }
            told = told || s.at == &c || std::ranges::find(s.parts, &c) != s.parts.end();
        }
        const auto& control = static_cast<const Control&>(c);
        if (told || (!control.windowed() && !c.IsKindOf(Kind::Label))) {
            continue; // images and bevels are decoration
        }
        AccessibleItem item;
        item.bounds = c.bounds();
        item.invisible = !Shown(c, container);
        if (control.windowed()) {
            item.role = AccessibleRole::Window;
            item.window = &control;
        } else {
            item.name = WithoutAccessKeyMarks(c.caption());
        }
        items.push_back(std::move(item));
    }
    return items;
}

std::optional<std::size_t> Navigate(std::span<const AccessibleItem> items,
                                    std::optional<std::size_t> from, AccessibleDirection d) {
    const std::size_t n = items.size();
    switch (d) {
    case AccessibleDirection::First:
    case AccessibleDirection::Last:
        if (from || n == 0) {
            return std::nullopt;
        }
        return d == AccessibleDirection::First ? 0 : n - 1;
    case AccessibleDirection::Next:
        return from && *from + 1 < n ? std::optional(*from + 1) : std::nullopt;
    case AccessibleDirection::Previous:
        return from && *from > 0 && *from < n ? std::optional(*from - 1) : std::nullopt;
    default:
        break;
    }
    if (!from || *from >= n) {
        return std::nullopt;
    }
    const Rect& start = items[*from].bounds;
    std::optional<std::size_t> best;
    std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
    for (std::size_t i = 0; i < n; ++i) {
        if (i == *from || items[i].invisible || !Beyond(start, items[i].bounds, d)) {
            continue;
        }
        if (const std::int64_t distance = CentreDistance(start, items[i].bounds);
            distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

std::optional<std::size_t> HitTest(std::span<const AccessibleItem> items, int x, int y) {
    const auto hit = [&](const AccessibleItem& item) {
        return !item.invisible && Contains(item.bounds, x, y);
    };
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].role == AccessibleRole::Window && hit(items[i])) {
            return i;
        }
    }
    for (std::size_t i = items.size(); i-- > 0;) {
        if (items[i].role != AccessibleRole::Window && hit(items[i])) {
            return i;
        }
    }
    return std::nullopt;
}

std::vector<AccessibleChange> ChangesBetween(std::span<const AccessibleItem> before,
                                             std::span<const AccessibleItem> after) {
    using Kind = AccessibleChange::Kind;
    const bool sameShape = std::ranges::equal(before, after, [](const auto& a, const auto& b) {
        return a.role == b.role && a.window == b.window;
    });
    if (!sameShape) {
        return {{Kind::Reorder}};
    }
    std::vector<AccessibleChange> changes;
    for (std::size_t i = 0; i < after.size(); ++i) {
        const AccessibleItem &was = before[i], &is = after[i];
        if (is.role == AccessibleRole::Window) {
            continue; // the system announces what changes in a window
        }
        if (was.name != is.name) {
            changes.push_back({Kind::Name, i});
        }
        if (was.checked != is.checked || was.mixed != is.mixed || was.invisible != is.invisible) {
            changes.push_back({Kind::State, i});
        }
        if (!(was.bounds == is.bounds)) {
            changes.push_back({Kind::Location, i});
        }
    }
    return changes;
}

} // namespace hx::ui
