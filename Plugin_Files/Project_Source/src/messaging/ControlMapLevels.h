#pragma once
// Keyed storage shared by the control-lookup containers: items filed under a
// fixed number of int keys, ordered outer key first. Lookups never insert and
// tell apart a missing outer key (which the containers report) from a miss
// further in.

#include <array>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <map>

template <typename Item, std::size_t Depth>
class ControlMapLevels {
public:
    using Keys = std::array<int, Depth>;

    // Stores the item, replacing one filed under the same keys.
    void store(const Keys& keys, Item item) { m_items[keys] = item; }

    // The item filed under keys, or null. outerMissing tells whether no item
    // at all is filed under the first key.
    const Item* find(const Keys& keys, bool& outerMissing) const
    {
        auto hit = m_items.find(keys);
        if (hit != m_items.end()) {
            outerMissing = false;
            return &hit->second;
        }
        Keys first {};
        first.fill(INT_MIN);
        first[0] = keys[0];
        auto outer = m_items.lower_bound(first);
        outerMissing = outer == m_items.end() || outer->first[0] != keys[0];
        return nullptr;
    }

    // The item filed under keys, or Item{}; a missing outer key prints
    // "<owner> : Not found" on standard output.
    Item findOrReport(const Keys& keys, const char* owner) const
    {
        bool outerMissing = false;
        const Item* hit = find(keys, outerMissing);
        if (outerMissing)
            std::printf("%s : Not found\n", owner);
        return hit ? *hit : Item {};
    }

    std::size_t size() const { return m_items.size(); }
    void clear() { m_items.clear(); }

private:
    std::map<Keys, Item> m_items;
};
