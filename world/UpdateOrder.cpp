#include "UpdateOrder.h"

#include <cassert>

#include "Component.h"
#include "Prefetch.h"

void UpdateOrder::enrol(Component* component, const GameObject* body)
{
    component->updateIndex = order.size();
    order.push_back({component, body});
}

void UpdateOrder::withdraw(Component& component)
{
    assert(component.updateIndex < order.size() && order[component.updateIndex].component == &component);
    order[component.updateIndex] = {nullptr, nullptr};
    ++holes;
    component.updateIndex = Component::kNotEnrolled;
}

void UpdateOrder::runAll()
{
    // Wherever it starts, a body of the game spans at most four cache lines and a component three;
    // fetching past a smaller one costs next to nothing.
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i + kFetchAhead < order.size()) {
            const Slot& ahead = order[i + kFetchAhead];
            fetchLines(ahead.component, 3);
            fetchLines(ahead.body, 4);
        }
        if (Component* component = order[i].component) component->update();
    }
}

void UpdateOrder::compactIfSparse()
{
    if (holes * 2 < order.size()) return;
    std::size_t kept = 0;
    for (const Slot& slot : order) {
        if (slot.component == nullptr) continue;
        slot.component->updateIndex = kept;
        order[kept++] = slot;
    }
    order.resize(kept);
    holes = 0;
}

void UpdateOrder::clear()
{
    order.clear();
    holes = 0;
}
